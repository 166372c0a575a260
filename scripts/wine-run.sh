#!/usr/bin/env bash
# wine-run.sh ROOT NAME PROGRAM [ARGS...]
# Runs a Windows program in a fresh copy of the template prefix with a
# wineserver of its own (so windows, clipboard, foreground and shared
# sections are the program's alone), then ends that server and everything
# still running in the prefix.
set -uo pipefail
here=$(dirname "$0")
. "$here/wine-env.sh"
WINEPREFIX=$("$here/wine-prefix.sh" "$1" "$2") || exit 1
export WINEPREFIX
shift 2
wineserver -p
wine "$@"
rc=$?
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit $rc
