#!/usr/bin/env bash
# Builds portsetup.exe again from a copy of the source tree in another, longer folder and compares
# it byte for byte with the program already built:
#   rebuild_and_compare.sh <source folder> <work folder> <portsetup.exe>
# The copy leaves out build trees, release output and Git's data, as a clone or an unpacked source
# archive would.
set -euo pipefail
source_dir="$(realpath "$1")"
work="$(realpath -m "$2")"
reference="$3"

copy="$work/a/longer/folder/portsetup-source"
rm -rf "$work"
mkdir -p "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./dist --exclude=./.git -cf - . |
    tar -C "$copy" -xf -

cd "$copy"
cmake --preset windows >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
cmake --build --preset windows --target portsetup -j "$(nproc)" >"$work/build.log" 2>&1 ||
    { cat "$work/build.log"; exit 1; }

rebuilt="$copy/build/windows/src/portsetup.exe"
sha256sum "$reference" "$rebuilt"
if ! cmp "$reference" "$rebuilt"; then
    echo "The rebuild from $copy differs from $reference: the build is not reproducible."
    cmp -l "$reference" "$rebuilt" | head -n 20
    exit 1
fi
echo "Byte-identical: $(stat -c %s "$rebuilt") bytes built in two folders."
