#!/usr/bin/env bash
# Creates a fresh Wine prefix for the end-to-end scenarios: make_prefix.sh <prefix folder>.
# Mono and Gecko are switched off so that Wine offers no installer; menu entries are not made.
set -euo pipefail
prefix="$(realpath -m "$1")"

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

if [ -d "$prefix" ]; then
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
fi
mkdir -p "$(dirname "$prefix")"
# Wine's first-start chatter (and its note about the missing 32-bit part) only matters on failure.
log="$prefix.wineboot.log"
wineboot -i >"$log" 2>&1 || { cat "$log"; exit 1; }
# Wine 8 does not load /usr/share/wine/fonts/; without Marlett the title bar's buttons are letters.
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
# No window manager runs on the virtual display: Wine then draws the window frames itself, so
# that the screen shows whole windows where the window system says they are.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# The prefix is written out when its server ends.
wineserver -w
test -f "$prefix/system.reg"
test -f "$prefix/drive_c/windows/system32/rundll32.exe"
echo "Wine prefix ready: $prefix"
