#!/usr/bin/env bash
# Builds the Windows build and runs portsetup.exe under Wine, staged in a folder with a small
# Velmoset.INF of the project's own.
# With a display ($DISPLAY set, not CI) the dialog opens for you to use. Without one (or with
# CI=true) it runs the road of one run on a virtual display: COM2, 19200 bits per second, hardware
# flow control, Next; then it shows a picture of the dialog, the command the printer set-up entry
# point received and the Ports value written.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cd "$root"
cmake --preset windows
cmake --build --preset windows -j "$(nproc)"

build="$root/build/windows"
run="$build/run"
stage="$run/Port Setup"
rm -rf "$stage"
mkdir -p "$stage"
cp "$build/src/portsetup.exe" "$stage/"
# A small driver package of the project's own, so that the tool finds the INF file it checks for.
cp "$root/tests/e2e/package/Velmoset.INF" "$stage/"

export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Wine sees this host's file system as drive Z:.
windows_path() {
    local path
    path="$(realpath -m "$1")"
    printf 'Z:%s' "${path//\//\\}"
}

entry_point_note() {
    echo "Note: Wine's printer set-up entry point (printui.dll) only parses the command line it is"
    echo "given; it installs and removes nothing."
}

if [ -n "${DISPLAY:-}" ] && [ "${CI:-}" != "true" ]; then
    export WINEPREFIX="$run/wineprefix"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX"
        WINEDEBUG=-all wineboot -i >"$run/wineboot.log" 2>&1 || { cat "$run/wineboot.log"; exit 1; }
    fi
    trace="$run/printui.trace"
    echo "Running $stage/portsetup.exe"
    status=0
    WINEDEBUG=-all,+printui wine "$stage/portsetup.exe" 2>"$trace" || status=$?
    # The set-up process the tool started may still be running; let it finish its trace.
    wineserver -w
    echo "portsetup.exe ended with exit code $status"
    # The trace line holds the command as a C string: L"...", with \\ and \" escaped.
    command="$(grep -a 'trace:printui:PrintUIEntryW (' "$trace" |
        sed -e 's/^.*, L"\(.*\)", 0x[0-9a-f]*)$/\1/' \
            -e 's/\\\\/\x01/g' -e 's/\\"/"/g' -e 's/\x01/\\/g' || true)"
    echo "Command received by the printer set-up entry point: ${command:-(none)}"
    echo "Ports values now:"
    WINEDEBUG=-all wine reg query 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Ports' |
        tr -d '\r' | grep -E '^ +COM' || true
    wineserver -w
    entry_point_note
    exit "$status"
fi

# No display: drive the dialog on a virtual one with the end-to-end test driver.
prefix="$run/wineprefix-xvfb"
if [ ! -f "$prefix/system.reg" ]; then
    echo "Creating the Wine prefix $prefix"
    bash "$root/tests/e2e/make_prefix.sh" "$prefix"
fi
picture="$run/select-port-type"
rm -f "$picture.bmp" "$picture.png"
echo "Running $stage/portsetup.exe on a virtual display: COM2, 19200, Hardware, Next"
bash "$root/tests/e2e/run_scenario.sh" "$prefix" "$run/out" \
    "$build/tests/e2e/portsetup_e2e_driver.exe" "$stage/portsetup.exe" demo \
    --shot "$(windows_path "$picture.bmp")"
convert "$picture.bmp" "$picture.png"
rm -f "$picture.bmp"
echo "Picture of the dialog before Next: $picture.png"
entry_point_note
