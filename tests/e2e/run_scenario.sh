#!/usr/bin/env bash
# Runs one end-to-end scenario of the driver under Wine on a virtual X display:
#   run_scenario.sh <prefix> <output folder> <driver.exe> <portsetup.exe> <scenario> [driver args]
# Wine's printui trace (its stderr) goes to <output folder>/<scenario>.trace, which the driver
# reads to see the command the printer set-up entry point received.
set -euo pipefail
prefix="$(realpath -m "$1")"
out="$2"
driver="$3"
tool="$4"
scenario="$5"
shift 5

export WINEPREFIX="$prefix"
export WINEDEBUG=${E2E_WINEDEBUG:--all,+printui}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Wine sees this host's file system as drive Z:.
windows_path() {
    local path
    path="$(realpath -m "$1")"
    printf 'Z:%s' "${path//\//\\}"
}

[ -f "$prefix/system.reg" ] || { echo "no Wine prefix at $prefix (run the e2e.prefix test)"; exit 1; }
[ -f "$tool" ] || { echo "no staged tool at $tool"; exit 1; }
mkdir -p "$out"
trace="$out/$scenario.trace"
rm -f "$trace"

# A scenario stopped half-way may have left Wine running, or rundll32.exe moved aside.
wineserver -k 2>/dev/null || true
system32="$prefix/drive_c/windows/system32"
if [ -f "$system32/rundll32.exe.e2e-hidden" ] && [ ! -f "$system32/rundll32.exe" ]; then
    mv "$system32/rundll32.exe.e2e-hidden" "$system32/rundll32.exe"
fi

export TRACE="$trace"
xvfb_log="$out/$scenario.xvfb.log"
# xvfb-run -a can lose the race for a display number to another X server starting at the same
# moment; that shows as Xvfb failing to start, and another try gets a free number.
for attempt in 1 2 3; do
    status=0
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
        wine "$1" "${@:2}" 2>"$TRACE"
        status=$?
        # Ends what the run left in this prefix (the desktop process) before the display goes.
        wineserver -k 2>/dev/null
        exit $status' run "$driver" "$scenario" \
        --exe "$(windows_path "$tool")" --trace "$(windows_path "$trace")" "$@" \
        2>"$xvfb_log" || status=$?
    if [ "$status" -ne 0 ] && grep -q 'Xvfb failed to start' "$xvfb_log"; then
        echo "Xvfb failed to start (attempt $attempt)"
        sleep 1
        continue
    fi
    break
done
wineserver -w 2>/dev/null || true

if [ "$status" -ne 0 ]; then
    if [ -s "$xvfb_log" ]; then
        echo "--- xvfb-run ($xvfb_log) ---"
        head -n 20 "$xvfb_log"
    fi
    echo "--- printui trace ($trace) ---"
    grep -a 'printui' "$trace" | head -n 40 || true
fi
exit "$status"
