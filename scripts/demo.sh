#!/usr/bin/env bash
# The main job: installs what is missing, builds the DLL, and runs the
# reference host under Wine against Wine's own programs (notepad, winemine,
# Internet Explorer, the Run dialog), then against two stand-in Chrome
# windows for URL restriction, which Wine has no program for.
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
refhost=$build/bin/RefHost.exe
apps=$WINEPREFIX/drive_c/demo
mkdir -p "$apps"

# Whether a program of this demo still runs: matched by its image (a
# backslash before the name, so not Wine's start.exe that launched it) and
# by this prefix, since other prefixes on the machine may run the same names.
running() {
    local pid
    for pid in $(pgrep -f "[\\]$1"); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
# fate EXE WHY: one line saying what became of the program.
fate() {
    local state="has ended"
    running "$1" && state="is still running"
    printf '   %-13s %-48s %s\n' "$1" "($2)" "$state"
}

echo "== Wine's own programs: notepad, winemine (a game), Internet Explorer, then the Run dialog"
wine notepad.exe &
wine winemine.exe &
wine iexplore.exe &
sleep 3
wine rundll32.exe shell32.dll,#61 &
echo "== Reference host: APPWATCH every 2 s; winemine.exe denied; the Run dialog watched (control"
echo "   watch, Run bit 0x10); no browsing (IE lock); after 5 s, end the window \"Untitled - Notepad\""
wine "$refhost" --timer 250 --period 2000 --run 7000 --log 'C:\demo\host.log' --front Run \
    --start 4 --start 3,1 --list '3=winemine.exe' --start 5,16 --start 1 \
    --restrict '5000,0,Untitled - Notepad,'
echo "== What became of each program:"
fate winemine.exe "denied by name: the host got 0x591"
fate rundll32.exe "the Run dialog, closed by the control watch"
fate iexplore.exe "a browser, under the IE lock"
fate notepad.exe "reported by APPWATCH, then Restrict by title"
echo "== The host's log file (the lines of each tick's checks left out):"
grep -e '\[SYSTEM\]' -e '\[ERROR\]' -e 'EXE=winemine.exe' "$apps/host.log"

for exe in chrome.exe portal.exe; do cp "$build/bin/TestWindow.exe" "$apps/$exe"; done
"$wine64" 'C:\demo\chrome.exe' --edit "http://www.games.example/play" Chrome_WidgetWin_1 "Games" &
"$wine64" 'C:\demo\portal.exe' --edit "http://www.school.example/" Chrome_WidgetWin_1 "School portal" &
sleep 3
echo
echo "== Two stand-in Chrome windows (Wine has no Chrome), showing http://www.games.example/play"
echo "   and http://www.school.example/"
echo "== Reference host: URL deny list \"games.example\", asking the host first (it replies 0)"
wine "$refhost" --timer 250 --run 6000 --list '2=games.example|' --start 2,1,0 --confirm 0
echo "== What became of each program:"
fate chrome.exe "showing a denied address"
fate portal.exe "showing an address not on the list"
