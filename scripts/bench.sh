#!/usr/bin/env bash
# Start-up and footprint benchmark: builds the Windows build, then starts portsetup.exe and the
# floor program (the least program showing the same window) alternately under Wine on a virtual
# display, and prints their start times, peak working sets, the tool's size and its imports.
#
#   scripts/bench.sh [measured starts each, default 20] [warm-up starts each, default 2]
#
# Exit code: that of startup_bench (0 targets met, 3 a target missed or unequal manifests, 1 the
# measurement failed).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cd "$root"

build=build/windows
cmake --preset windows
cmake --build --preset windows -j "$(nproc)"
build="$(cd "$build" && pwd)"
tool="$build/src/portsetup.exe"
floor="$build/bench/floor.exe"
bench="$build/bench/startup_bench.exe"
for exe in "$tool" "$floor" "$bench"; do
    [ -f "$exe" ] || { echo "bench.sh: $exe was not built" >&2; exit 1; }
done

# A prefix of the benchmark's own, so that ending its wineserver disturbs nothing else.
export WINEPREFIX="$root/build/wineprefix-bench"
export WINEDEBUG="${WINEDEBUG:--all}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    # The end-to-end tests' prefix set-up: no Mono or Gecko offers, and Wine draws the window
    # frames itself, so that no 2 s wait for an absent window manager follows each closed window.
    bash "$root/tests/e2e/make_prefix.sh" "$WINEPREFIX"
fi

# Wine's explorer, which owns the desktop, must start inside the virtual display: no Wine process
# may run before xvfb-run, so the paths are turned into Wine's Z: drive paths here.
wineserver -k 2>/dev/null || true
winpath() { local path="${1//\//\\}"; echo "Z:$path"; }

echo "$(wine --version) on $(nproc) CPUs, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
status=0
xvfb-run -a -s "-screen 0 1024x768x24" \
    wine "$bench" "$(winpath "$tool")" "$(winpath "$floor")" "$@" || status=$?
wineserver -k 2>/dev/null || true
exit "$status"
