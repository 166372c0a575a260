#!/usr/bin/env bash
# The main job: installs what is missing, builds the DLL, and runs the
# reference host under Wine against real programs started for the demo.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
. "$here/scripts/wine-env.sh"
WINEPREFIX=$("$here/scripts/wine-prefix.sh" "$build/wine" demo)
export WINEPREFIX
trap 'wineserver -k 2>/dev/null; wineserver -w 2>/dev/null' EXIT
wineserver -p

apps=$WINEPREFIX/drive_c/demo
mkdir -p "$apps"
cp "$build/bin/TestWindow.exe" "$apps/game.exe"
cp "$build/bin/TestWindow.exe" "$apps/notepad.exe"
"$wine64" 'C:\demo\game.exe' DemoGame "Space Game" &
"$wine64" 'C:\demo\notepad.exe' DemoNotepad "Untitled - Notepad" "Notes - Notepad" &
sleep 3

echo "== Reference host: APPWATCH every 2 s; then minimise all; then end \"Space Game\""
wine "$build/bin/RefHost.exe" --timer 250 --period 2000 --start 4 --run 9000 \
    --log 'C:\demo\host.log' \
    --restrict '4000,2,,' --restrict '6000,0,Space Game,'
echo "== Still running afterwards:"
for exe in game.exe notepad.exe; do
    if pgrep -f "$exe" >/dev/null; then echo "   $exe"; fi
done
echo "== The host's log file:"
cat "$apps/host.log"
