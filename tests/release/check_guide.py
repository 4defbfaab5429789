#!/usr/bin/env python3
"""Packs the release zip from the built program and docs/windows-guide.md, as scripts/release.sh
does, and checks the guide in it as Notepad shows it to an administrator:
    check_guide.py <source folder> <work folder> <portsetup.exe>
"""

import os
import re
import subprocess
import sys
import zipfile
from pathlib import Path

source, work, exe = Path(sys.argv[1]), Path(sys.argv[2]), Path(sys.argv[3])
work.mkdir(parents=True, exist_ok=True)
markdown = source / "docs/windows-guide.md"
readme = markdown.read_text(encoding="utf-8")
archive = work / "release.zip"
subprocess.run([sys.executable, source / "scripts/package.py", markdown, exe, "9.9.9",
                archive], env=dict(os.environ, SOURCE_DATE_EPOCH="1765000000"), check=True)
guide = zipfile.ZipFile(archive).read("README.txt")
faults = []
if not guide.startswith(b"\xef\xbb\xbf"):
    faults.append("no UTF-8 byte order mark")
if re.search(rb"(?<!\r)\n", guide) or re.search(rb"\r(?!\n)", guide):
    faults.append("a line does not end in CR LF")
lines = guide.decode("utf-8-sig").splitlines()

# The lines of the guide's code blocks: commands, which may run past 100 columns unbroken.
code = set()
inside = False
for line in readme.splitlines():
    if line.strip().startswith("```"):
        inside = not inside
    elif inside:
        code.add(line.strip())
for number, line in enumerate(lines, 1):
    if "`" in line or re.fullmatch(r"\s*\|.*\|\s*", line) or "**" in line or re.match("#+ ", line):
        faults.append(f"line {number} keeps Markdown marks: {line}")
    if re.search("[\u2018\u2019\u201c\u201d]", line):
        faults.append(f"line {number} has a typographic quote: {line}")
    if len(line) > 100 and line.strip() not in code:
        faults.append(f"line {number} is {len(line)} characters long: {line}")

# Each code of the source's exit-code table is one row of the guide's table, read down its first
# column between the table's outer rules.
table = readme.split("\n### Exit codes\n")[1].split("\n#")[0]
documented = re.findall(r"^\| (\d+) \|", table, re.M)
start = lines.index("Exit codes") if "Exit codes" in lines else len(lines)
rules = [i for i in range(start, len(lines)) if re.fullmatch(r"\s*-+", lines[i])][:2] or [0]
rows = [m[1] for line in lines[rules[0]:rules[-1]] if (m := re.match(r"\s*(\d+)\s", line))]
if sorted(rows) != sorted(documented):
    faults.append(f"the guide's exit codes {rows} are not the source's {documented}")

# A table's columns two blanks apart on every row: with one, a cell line that fills its column
# reads as one with the next column's.
for at, line in enumerate(lines):
    if re.fullmatch(r" *-+( +-+)+", line):
        starts = [m.start() for m in re.finditer(r"(?<= )-", line)][1:]
        end = next((i for i in range(at + 1, len(lines)) if re.fullmatch(r" *-+", lines[i])), at)
        faults += [f"line {number} has a column less than two blanks from the next: {row}"
                   for number, row in enumerate(lines[at - 1:end], at)
                   if any(row[start - 2:start].strip() for start in starts if len(row) > start)]

# Recipes that fail when copied: Intune does not expand environment variables in an uninstall
# command, and cmd ends a command at an unquoted "&".
intune = lines[lines.index("Intune (Win32 app)"):] if "Intune (Win32 app)" in lines else []
intune = intune[:intune.index("Configuration Manager")] if "Configuration Manager" in intune else []
if not intune:
    faults.append("no Intune section ending where the Configuration Manager one starts")
faults += [f"an Intune uninstall command holds a variable: {line}" for line in intune
           if "/remove" in line and "%" in line]
faults += [f"line {number} has a /device ID with an unquoted &: {line}"
           for number, line in enumerate(lines, 1) if re.search(r'/device\s+[^\s"]*&', line)]
# A detection value is compared letter for letter: one broken across lines in the source must not
# come out with a run of blanks between its fields.
faults += [f"line {number} has a detection value with a run of blanks: {line}"
           for number, line in enumerate(lines, 1) if re.search(r"settings=\S+ {2,}driver=", line)]

print("\n".join(faults) or f"README.txt: {len(lines)} lines, read as an administrator would")
sys.exit(1 if faults else 0)
