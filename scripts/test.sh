#!/usr/bin/env bash
# Builds both builds and runs every test: the native unit tests and the Windows build's tests.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cd "$root"
jobs="$(nproc)"

cmake --preset native
cmake --build --preset native -j "$jobs"
cmake --preset windows
cmake --build --preset windows -j "$jobs"

# One ctest run over both build trees, so that one summary speaks for every test.
printf 'subdirs("native" "windows")\n' > build/CTestTestfile.cmake
exec ctest --test-dir build --output-on-failure -j "$jobs"
