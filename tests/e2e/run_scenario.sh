#!/usr/bin/env bash
# Runs one end-to-end scenario of the driver under Wine on a virtual X display:
#   run_scenario.sh [runner options] <prefix> <output folder> <driver.exe> <portsetup.exe>
#                   <scenario> [driver args]
# Wine's debug output (its stderr) goes to <output folder>/<scenario>.trace, which the driver
# reads to see the command the printer set-up entry point received. Each scenario gets an empty
# work folder, <output folder>/<scenario>.work, removed after it.
#
# Runner options. Those that alter the machine give the scenario a copy of the prefix of its own,
# made for this run and deleted after it, so that the shared prefix stays as it was even when the
# scenario stops half-way:
#   --throwaway-prefix       a copy of the prefix, nothing else changed
#   --no-rundll32            ... without the system folder's rundll32.exe
#   --stand-in-rundll32 EXE  ... with EXE as the system folder's rundll32.exe, told to stay running
#   --printing-rundll32 EXE  ... with EXE as the system folder's rundll32.exe, preferred by Wine to
#                            its built-in one, ending when its work is done
#   --dpi N                  ... with the display at N dots per inch
#   --drive L                ... with drive L: mapped to a folder that holds only the tool and
#                            its INF file; the tool is then started as L:\portsetup.exe
#   --winedebug CHANNELS     Wine's debug channels (default -all,+printui)
#   --dll-overrides LIST     added to WINEDLLOVERRIDES
#   --fake-printer PORT      ... with a receipt printer (fake_printer.py) on a pseudo-terminal as
#                            COM port PORT (COM5 and up); the scenario sets it through
#                            <work>/printer.state and reads what it received from printer.received
#                            (not com7.state: Windows and Wine open that name as the port)
#   --fake-usb-printer NAME  ... with another such printer behind the dosdevices link NAME, a USB
#                            printer's interface name (Wine opens its device path through it),
#                            set through <work>/usb-printer.state, read from usb-printer.received
set -euo pipefail

throwaway=0
no_rundll32=0
stand_in=""
stay=0
dpi=""
drive=""
winedebug="-all,+printui"
dll_overrides=""
fake_port=""
fake_usb=""
fake_pids=()
while [ $# -gt 0 ]; do
    case "$1" in
        --throwaway-prefix) throwaway=1; shift ;;
        --no-rundll32) throwaway=1; no_rundll32=1; shift ;;
        --stand-in-rundll32) throwaway=1; stand_in="$2"; stay=1; shift 2 ;;
        --printing-rundll32)
            throwaway=1; stand_in="$2"; stay=0
            dll_overrides="${dll_overrides:+$dll_overrides;}rundll32.exe=n,b"
            shift 2 ;;
        --dpi) throwaway=1; dpi="$2"; shift 2 ;;
        --drive) throwaway=1; drive="${2,,}"; shift 2 ;;
        --winedebug) winedebug="$2"; shift 2 ;;
        --dll-overrides) dll_overrides="${dll_overrides:+$dll_overrides;}$2"; shift 2 ;;
        --fake-printer) throwaway=1; fake_port="${2,,}"; shift 2 ;;
        --fake-usb-printer) throwaway=1; fake_usb="$2"; shift 2 ;;
        --*) echo "unknown runner option $1"; exit 2 ;;
        *) break ;;
    esac
done

prefix="$(realpath -m "$1")"
out="$(realpath -m "$2")"
driver="$3"
tool="$4"
scenario="$5"
shift 5

export WINEDEBUG=${E2E_WINEDEBUG:-$winedebug}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${dll_overrides:+;$dll_overrides}"

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
work="$out/$scenario.work"
copy="$out/$scenario.prefix"
rm -f "$trace"
rm -rf "$work" "$copy"
mkdir -p "$work"

# A scenario stopped half-way may have left Wine running.
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true

cleanup() {
    for pid in "${fake_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    if [ "$throwaway" = 1 ]; then
        WINEPREFIX="$copy" wineserver -k 2>/dev/null || true
        rm -rf "$copy"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

driver_args=(--exe "$(windows_path "$tool")")
if [ "$throwaway" = 1 ]; then
    # Files are shared with the original through hard links, so nothing in the copy may be written
    # in place: the registry files, which the Wine server rewrites, become copies of their own, and
    # a file to be changed is unlinked first.
    cp -al "$prefix" "$copy"
    for file in system.reg user.reg userdef.reg; do
        rm -f "$copy/$file"
        cp -p "$prefix/$file" "$copy/$file"
    done
    system32="$copy/drive_c/windows/system32"
    if [ "$no_rundll32" = 1 ]; then
        rm -f "$system32/rundll32.exe"
    fi
    if [ -n "$stand_in" ]; then
        rm -f "$system32/rundll32.exe"
        cp "$stand_in" "$system32/rundll32.exe"
        if [ "$stay" = 1 ]; then
            touch "$system32/rundll32.exe.stay"
        fi
    fi
    if [ -n "$dpi" ]; then
        # Wine 8 takes the DPI from either key; both are set as Windows keeps them.
        hex="$(printf '%08x' "$dpi")"
        sed -i "s/^\"LogPixels\"=dword:[0-9a-f]*$/\"LogPixels\"=dword:$hex/" "$copy/system.reg"
        sed -i "s/^\(\[Control Panel\\\\\\\\Desktop\] [0-9]*\)$/\1\n\"LogPixels\"=dword:$hex/" \
            "$copy/user.reg"
        grep -q "^\"LogPixels\"=dword:$hex$" "$copy/system.reg" "$copy/user.reg" ||
            { echo "could not set LogPixels in the prefix copy"; exit 1; }
    fi
    if [ -n "$drive" ]; then
        root="$work/drive-$drive"
        mkdir -p "$root"
        cp "$tool" "$root/portsetup.exe"
        cp "$(dirname "$tool")/Velmoset.INF" "$root/"
        ln -s "$root" "$copy/dosdevices/$drive:"
        driver_args=(--exe "${drive^^}:\\portsetup.exe")
    fi
    # Wine opens COMn through the prefix's dosdevices/comn link, and a device path likewise.
    start_fake_printer() {
        python3 "$(dirname "${BASH_SOURCE[0]}")/fake_printer.py" "$copy/dosdevices/$1" \
            "$work/$2.state" "$work/$2.received" &
        fake_pids+=($!)
        for _ in $(seq 50); do
            [ -L "$copy/dosdevices/$1" ] && return
            sleep 0.1
        done
        echo "the fake printer did not start"; exit 1
    }
    [ -z "$fake_port" ] || start_fake_printer "$fake_port" printer
    [ -z "$fake_usb" ] || start_fake_printer "$fake_usb" usb-printer
    prefix="$copy"
    driver_args+=(--throwaway-prefix)
fi
export WINEPREFIX="$prefix"
driver_args+=(--trace "$(windows_path "$trace")" --work "$(windows_path "$work")"
    --out "$(windows_path "$out")")

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
        exit $status' run "$driver" "$scenario" "${driver_args[@]}" "$@" \
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
