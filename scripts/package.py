#!/usr/bin/env python3
"""Writes the release zip: portsetup.exe and README.txt, a plain-text guide for Windows
administrators made by pandoc from the whole of docs/windows-guide.md, its title given the version.

The zip is reproducible: its entries are in a fixed order with fixed permissions and the time
of SOURCE_DATE_EPOCH, so the same inputs always give the same bytes.
Usage: scripts/package.py <windows-guide.md> <portsetup.exe> <version> <output.zip>
"""

import os
import subprocess
import sys
import time
import zipfile
from pathlib import Path

# Plain text as Notepad shows it. Without "smart", quotes stay the straight ASCII ones that a
# command copied out of the guide needs; without "raw_html", a placeholder such as <folder> stays
# text. A table indents by two columns beyond its width, so text wraps at 98 to keep every line
# within 100, save a command line that cannot be broken.
PANDOC = ["pandoc", "--from=markdown-smart-raw_html", "--to=plain", "--columns=98", "--eol=crlf"]


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
