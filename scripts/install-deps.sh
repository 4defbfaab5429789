#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and tests with, when they are missing.
# As root it installs them; otherwise it prints the one command that does.
set -euo pipefail

packages=(
    cmake make g++ libgtest-dev             # native build and unit tests
    g++-mingw-w64-x86-64-win32              # the Windows cross-build (win32 threads)
    wine wine64 fonts-wine                  # running the tool: Wine, with its own Tahoma and Marlett
    xvfb xauth imagemagick                  # a virtual display for tests, and screenshots
    git python3 openssl osslsigncode        # the release: its date, zip, and Authenticode signing
    pandoc                                  # the release: its plain-text guide from docs/
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
