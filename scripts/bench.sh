#!/usr/bin/env bash
# Start-up and footprint benchmark: builds the Windows build, then starts portsetup.exe and the
# floor program (the least program showing the same window) alternately under Wine on a virtual
# display, and prints their start times, peak working sets, the tool's size and its imports.
# Then times the printer check against a printer played on a pseudo-terminal as COM9
# (tests/e2e/fake_printer.py): /check on a ready printer, and /detect through its speeds; and
# /check on a ready USB printer, its printing interface planted as the e2e scenarios plant it, its
# device path led to a second fake printer.
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

# Each figure is the median of whole runs of the tool, from its start to its exit, with Wine's
# server kept running in between as it is on Windows. A refused command line (/check LPT1) shows
# what starting and ending alone take. At 1800 bits per second, the ninth of /detect's twelve
# speeds, is the last a pseudo-terminal tells apart: Wine sets the other three (7200, 14400,
# 128000), which no terminal offers, as 38400. With nothing answering, /detect waits at all
# twelve, as long as for a printer found at the last.
work="$(mktemp -d)"
printer_pid=""
usb_pid=""
# Wine opens the interface's device path through a dosdevices link of its name (as a comm device,
# which Windows' USB printing class is not; the path's own calls are the same).
usb='usb#vid_04b8&pid_0202#bench#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}'
finish() {
    [ -z "$printer_pid" ] || kill "$printer_pid" 2>/dev/null || true
    [ -z "$usb_pid" ] || kill "$usb_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    rm -rf "$work" "$WINEPREFIX/dosdevices/com9" "$WINEPREFIX/dosdevices/$usb"
}
trap finish EXIT
python3 "$root/tests/e2e/fake_printer.py" "$WINEPREFIX/dosdevices/com9" "$work/state" \
    "$work/received" &
printer_pid=$!
python3 "$root/tests/e2e/fake_printer.py" "$WINEPREFIX/dosdevices/$usb" "$work/usb-state" \
    "$work/usb-received" &
usb_pid=$!
echo "any ready" >"$work/usb-state"
wineserver -p >/dev/null 2>&1  # its object dump at the end goes nowhere
plant() { wine reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null; }
device='HKLM\SYSTEM\CurrentControlSet\Enum\USB\VID_04B8&PID_0202\BENCH'
interface='HKLM\SYSTEM\CurrentControlSet\Control\DeviceClasses\{28d78fad-5a12-11d1-ae5b-0000f803a8c2}\##?#'"$usb"
plant "$device" ClassGUID REG_SZ '{36fc9e60-c465-11cf-8056-444553540000}'
plant "$device" HardwareID REG_MULTI_SZ 'USB\VID_04B8&PID_0202'
plant "$interface" DeviceInstance REG_SZ 'USB\VID_04B8&PID_0202\BENCH'
plant "$interface\#" SymbolicLink REG_SZ "\\\\?\\$usb"
plant "$interface\#\Device Parameters" 'Port Number' REG_DWORD 1
plant "$interface\#\Device Parameters" 'Base Name' REG_SZ USB
plant "$interface\#\Control" Linked REG_DWORD 1
runs=11
median_ms() {
    local times=() start
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        wine "$tool" "$@" 2>"$work/output" || true
        times+=($(( ($(date +%s%N) - start) / 1000000 )))
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p"
}
median_ms /check LPT1 >/dev/null  # warm-up
echo "printer check, median of $runs runs each, in ms:"
echo "  refused command line (start and end only): $(median_ms /check LPT1)"
echo "19200 ready" >"$work/state"
echo "  /check COM9, ready printer:                $(median_ms /check COM9 /settings 19200,n,8,1)"
echo "  /check USB001, ready USB printer:          $(median_ms /check USB001)"
wine "$tool" /check USB001 2>/dev/null || echo "bench.sh: /check USB001 did not find it ready" >&2
echo "1800 ready" >"$work/state"
echo "  /detect COM9, printer at 1800 (9th of 12): $(median_ms /detect COM9)"
rm -f "$work/state"
echo "  /detect COM9, nothing answers (12 of 12):  $(median_ms /detect COM9)"
exit "$status"
