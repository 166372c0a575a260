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
for exe in game.exe notepad.exe folder.exe; do cp "$build/bin/TestWindow.exe" "$apps/$exe"; done
"$wine64" 'C:\demo\game.exe' DemoGame "Space Game" &
"$wine64" 'C:\demo\notepad.exe' DemoNotepad "Untitled - Notepad" "Notes - Notepad" &
"$wine64" 'C:\demo\folder.exe' CabinetWClass "Control Panel" &
sleep 3

echo "== Reference host: APPWATCH every 2 s, game.exe denied, Control Panel windows closed;"
echo "   after 5 s minimise everything, after 7 s end the program showing \"Notes - Notepad\""
wine "$build/bin/RefHost.exe" --timer 250 --period 2000 --run 10000 --log 'C:\demo\host.log' \
    --start 4 --start 3,1 --list '3=game.exe' --start 5,32 \
    --restrict '5000,2,,' --restrict '7000,0,Notes - Notepad,'
echo "== Still running afterwards:"
for exe in game.exe notepad.exe folder.exe; do
    if pgrep -f "$exe" >/dev/null; then echo "   $exe"; else echo "   ($exe has ended)"; fi
done
echo "== The host's log file (the repeated detail lines about notepad.exe left out):"
grep -v 'EXE=notepad.exe' "$apps/host.log"

for exe in chrome.exe portal.exe news.exe; do cp "$build/bin/TestWindow.exe" "$apps/$exe"; done
"$wine64" 'C:\demo\chrome.exe' --edit "http://www.games.example/play" Chrome_WidgetWin_1 "Games" &
"$wine64" 'C:\demo\portal.exe' --edit "http://www.school.example/" Chrome_WidgetWin_1 "School portal" &
sleep 3
echo
echo "== Reference host: URL deny list \"games.example\", asking the host first (it replies 0)"
wine "$build/bin/RefHost.exe" --timer 250 --run 6000 --list '2=games.example|' --start 2,1,0 --confirm 0
echo "== Still running afterwards:"
for exe in chrome.exe portal.exe; do
    if pgrep -f "$exe" >/dev/null; then echo "   $exe"; else echo "   ($exe has ended)"; fi
done

"$wine64" 'C:\demo\news.exe' RaNews "Daily news - Google Chrome" &
sleep 3
echo
echo "== Reference host: no browsing at all (IE lock)"
wine "$build/bin/RefHost.exe" --timer 250 --run 6000 --start 1
echo "== Still running afterwards:"
for exe in news.exe portal.exe; do
    if pgrep -f "$exe" >/dev/null; then echo "   $exe"; else echo "   ($exe has ended)"; fi
done
