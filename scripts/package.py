#!/usr/bin/env python3
"""Writes the release zip: portsetup.exe and README.txt, a plain-text guide for Windows users
made from the README's "## For Windows users" and "## Deploying to many PCs" sections.

The zip is reproducible: its entries are in a fixed order with fixed permissions and the time
of SOURCE_DATE_EPOCH, so the same inputs always give the same bytes.
Usage: scripts/package.py <README.md> <portsetup.exe> <version> <output.zip>
"""

import os
import re
import sys
import time
import zipfile
from pathlib import Path

SECTIONS = ["## For Windows users", "## Deploying to many PCs"]


def readme_section(readme: str, heading: str) -> list[str]:
    lines = readme.splitlines()
    try:
        start = lines.index(heading) + 1
    except ValueError:
        sys.exit(f"package.py: the README has no '{heading}' section")
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("## ")), len(lines))
    return lines[start:end]


def plain_text(lines: list[str]) -> list[str]:
    """Markdown to text as Notepad shows it: no emphasis or code marks, code blocks indented,
    table rows as aligned columns."""
    out: list[str] = []
    in_code = False
    table: list[list[str]] = []
    for line in lines + [""]:
        if line.startswith("```"):
            in_code = not in_code
            continue
        if in_code:
            out.append("    " + line)
            continue
        if line.startswith("|"):
            cells = [cell.strip() for cell in line.strip("|").split("|")]
            if not all(re.fullmatch(r":?-+:?", cell) for cell in cells):
                table.append(cells)
            continue
        if table:
            width = max(len(row[0]) for row in table)
            out.extend(f"  {row[0]:<{width}}  {' '.join(row[1:])}".rstrip() for row in table)
            table = []
        if line.startswith("#"):
            title = line.lstrip("#").strip()
            out.extend([title, "-" * len(title)])
            continue
        out.append(re.sub(r"\*\*|`", "", line))
    while out and not out[0]:
        out.pop(0)
    while out and not out[-1]:
        out.pop()
    return out


def main() -> None:
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    readme, exe, version, output = sys.argv[1:]
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    title = f"portsetup {version}: for Windows users"
    text = Path(readme).read_text(encoding="utf-8")
    guide = [title, "=" * len(title), ""]
    for number, heading in enumerate(SECTIONS):
        # The first section is what the title announces; the others bring their own heading.
        lines = readme_section(text, heading)
        guide += plain_text(lines if number == 0 else [heading] + lines) + [""]
    # Windows line ends, and a byte order mark so that every Notepad reads it as UTF-8.
    guide_bytes = ("\ufeff" + "\r\n".join(guide) + "\r\n").encode("utf-8")

    entries = {"README.txt": guide_bytes, "portsetup.exe": Path(exe).read_bytes()}
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
