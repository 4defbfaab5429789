#!/usr/bin/env bash
# Builds the release into dist/: the program, a zip of it with a plain-text guide for Windows
# users, and their SHA-256 checksums. Signs the program first when PORTSETUP_SIGN_PFX names a
# certificate (see scripts/sign.sh for the variables); without one the release is unsigned.
#
# Unsigned, the same commit gives the same bytes in any folder: the zip's times come from the
# last commit (or SOURCE_DATE_EPOCH, when set).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cd "$root"
umask 022
jobs="$(nproc)"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH="$(git log -1 --format=%ct)" ||
        { echo "release.sh: not a Git checkout; set SOURCE_DATE_EPOCH" >&2; exit 1; }
fi
export SOURCE_DATE_EPOCH

cmake --preset native
cmake --build --preset native -j "$jobs"
ctest --preset native -L unit -j "$jobs"
cmake --preset windows
cmake --build --preset windows --target portsetup -j "$jobs"
built="$root/build/windows/src/portsetup.exe"

# The version of the release is the one the build wrote into the program; its manifest must agree.
resources="$(x86_64-w64-mingw32-windres -J coff -i "$built" -O rc)"
version="$(sed -n 's/^ *VALUE "ProductVersion", "\(.*\)"$/\1/p' <<<"$resources")"
file_version="$(sed -n 's/^ *VALUE "FileVersion", "\(.*\)"$/\1/p' <<<"$resources")"
manifest_version="$(grep -A1 'name=""Portsetup.PortSetup""' <<<"$resources" |
    sed -n 's/.*version=""\([0-9.]*\)"".*/\1/p')"
if [ -z "$version" ] || [ "$file_version" != "$version.0" ] ||
    [ "$manifest_version" != "$version.0" ]; then
    echo "release.sh: versions disagree: product '$version', file '$file_version'," \
        "manifest '$manifest_version'" >&2
    exit 1
fi

dist="$root/dist"
zip="portsetup-$version-win64.zip"
rm -rf "$dist"
mkdir -p "$dist"
if [ -n "${PORTSETUP_SIGN_PFX:-}" ]; then
    "$root/scripts/sign.sh" "$built" "$dist/portsetup.exe"
    signed="signed with $PORTSETUP_SIGN_PFX"
else
    echo "PORTSETUP_SIGN_PFX is not set: the release is unsigned."
    cp "$built" "$dist/portsetup.exe"
    signed="unsigned"
fi
python3 "$root/scripts/package.py" docs/windows-guide.md "$dist/portsetup.exe" "$version" "$dist/$zip"
(cd "$dist" && sha256sum "$zip" portsetup.exe >SHA256SUMS)

echo
echo "portsetup $version, $signed:"
echo "  $dist/$zip"
echo "  $dist/portsetup.exe"
echo "  $dist/SHA256SUMS"
