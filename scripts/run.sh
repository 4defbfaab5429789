#!/usr/bin/env bash
# Builds the Windows build of the tool.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset windows
cmake --build --preset windows -j "$(nproc)"
echo "Built the tool's core into build/windows; the window, and with it portsetup.exe, comes next."
