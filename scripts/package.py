#!/usr/bin/env python3
"""Writes the release zip: portsetup.exe and README.txt, a plain-text guide for Windows users
made by pandoc from the README's "## For Windows users" and "## Deploying to many PCs" sections.

The zip is reproducible: its entries are in a fixed order with fixed permissions and the time
of SOURCE_DATE_EPOCH, so the same inputs always give the same bytes.
Usage: scripts/package.py <README.md> <portsetup.exe> <version> <output.zip>
"""

import os
import subprocess
import sys
import time
import zipfile
from pathlib import Path

SECTIONS = ["## For Windows users", "## Deploying to many PCs"]

# Plain text as Notepad shows it. Without "smart", quotes stay the straight ASCII ones that a
# command copied out of the guide needs; without "raw_html", a placeholder such as <folder> stays
# text. A table indents by two columns beyond its width, so text wraps at 98 to keep every line
# within 100, save a command line that cannot be broken.
PANDOC = ["pandoc", "--from=markdown-smart-raw_html", "--to=plain", "--columns=98", "--eol=crlf"]


def readme_section(readme: str, heading: str) -> list[str]:
    lines = readme.splitlines()
    try:
        start = lines.index(heading) + 1
    except ValueError:
        sys.exit(f"package.py: the README has no '{heading}' section")
    end = next((i for i in range(start, len(lines)) if lines[i].startswith("## ")), len(lines))
    return lines[start:end]


def main() -> None:
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    readme, exe, version, output = sys.argv[1:]
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    text = Path(readme).read_text(encoding="utf-8")
    # The first section is what the title announces; the others bring their own heading.
    markdown = readme_section(text, SECTIONS[0])
    for heading in SECTIONS[1:]:
        markdown += ["", heading] + readme_section(text, heading)
    try:
        converted = subprocess.run(PANDOC, input="\n".join(markdown).encode("utf-8"),
                                   capture_output=True, check=True).stdout
    except FileNotFoundError:
        sys.exit("package.py: pandoc is missing; scripts/install-deps.sh installs it")
    except subprocess.CalledProcessError as failed:
        sys.exit(f"package.py: pandoc failed: {failed.stderr.decode(errors='replace')}")
    title = f"portsetup {version}: for Windows users"
    # A byte order mark, so that every Notepad reads it as UTF-8, and Windows line ends.
    guide = f"\ufeff{title}\r\n{'=' * len(title)}\r\n\r\n".encode("utf-8") + converted

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
