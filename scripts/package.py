#!/usr/bin/env python3
"""Writes the release zip: portsetup.exe and README.txt, a plain-text guide for Windows
administrators made by pandoc from the whole of docs/windows-guide.md, its title given the version.

The zip is reproducible: its entries are in a fixed order with fixed permissions and the time
of SOURCE_DATE_EPOCH, so the same inputs always give the same bytes.
Usage: scripts/package.py <windows-guide.md> <portsetup.exe> <version> <output.zip>
"""

import os
import re
import subprocess
import sys
import time
import zipfile
from pathlib import Path

# Plain text as Notepad shows it. Without "smart", quotes stay the straight ASCII ones that a
# command copied out of the guide needs; without "raw_html", a placeholder such as <folder> stays
# text. A table indents by two columns, runs wider than the text where its longest words need it,
# and widen_tables sets its columns a blank further apart: text wraps at 88 to keep every line
# within 100, save a command line that cannot be broken.
PANDOC = ["pandoc", "--from=markdown-smart-raw_html", "--to=plain", "--columns=88", "--eol=crlf"]
RULE = re.compile(r" *-+")
COLUMN_RULE = re.compile(r" *-+( +-+)+")


def widen_tables(text: str) -> str:
    """Sets the columns of each table two blanks apart, where pandoc's plain text sets them one
    apart, so that a cell line that fills its column does not read as one with the next column."""
    lines = text.split("\r\n")
    for at, line in enumerate(lines):
        if not COLUMN_RULE.fullmatch(line):
            continue
        starts = [match.start() for match in re.finditer(r"(?<= )-", line)][:0:-1]
        top = max(i for i in range(at) if RULE.fullmatch(lines[i]))
        bottom = min(i for i in range(at + 1, len(lines)) if RULE.fullmatch(lines[i]))
        for i in range(top, bottom + 1):
            row = lines[i]
            if RULE.fullmatch(row) and i != at:
                lines[i] = row + "-" * len(starts)  # the rules above and below the table
                continue
            for start in starts:
                if len(row) > start:
                    row = row[:start] + " " + row[start:]
            lines[i] = row
    return "\r\n".join(lines)


def main() -> None:
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    source, exe, version, output = sys.argv[1:]
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    first, _, markdown = Path(source).read_text(encoding="utf-8").partition("\n")
    if not first.startswith("# "):
        sys.exit(f"package.py: {source} does not start with its '# ' title")
    try:
        converted = subprocess.run(PANDOC, input=markdown.encode("utf-8"),
                                   capture_output=True, check=True).stdout
    except FileNotFoundError:
        sys.exit("package.py: pandoc is missing; scripts/install-deps.sh installs it")
    except subprocess.CalledProcessError as failed:
        sys.exit(f"package.py: pandoc failed: {failed.stderr.decode(errors='replace')}")
    # The title underlined, as Notepad shows no heading otherwise; the version tells which release.
    title = f"{first[2:]}, version {version}"
    # A byte order mark, so that every Notepad reads it as UTF-8, and Windows line ends.
    guide = f"\ufeff{title}\r\n{'=' * len(title)}\r\n\r\n{widen_tables(converted.decode('utf-8'))}"
    guide = guide.encode("utf-8")

    entries = {"README.txt": guide, "portsetup.exe": Path(exe).read_bytes()}
    stamp = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(output, "w") as archive:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.create_system = 3  # Unix, so that the permissions below are read
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, entries[name], compresslevel=9)


if __name__ == "__main__":
    main()
