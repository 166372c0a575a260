#!/usr/bin/env bash
# wine-run.sh ROOT NAME PROGRAM [ARGS...]
# Runs a Windows program in a fresh copy of the template prefix with a
# wineserver of its own (so windows, clipboard, foreground and shared
# sections are the program's alone), then ends that server and everything
# still running in the prefix, also when this script is ended early (a
# test time-out): a server left behind would keep its processes alive.
set -uo pipefail
here=$(dirname "$0")
. "$here/wine-env.sh"
WINEPREFIX=$("$here/wine-prefix.sh" "$1" "$2") || exit 1
export WINEPREFIX
shift 2
# 64-bit programs start through the 64-bit loader: never emulated (see
# wine-env.sh); PE machine 0x8664 stands at e_lfanew + 4.
machine() { od -An -tx2 -j $(($(od -An -tu4 -j 60 -N 4 "$1") + 4)) -N 2 "$1" | tr -d ' '; }
loader=wine
[ "$(machine "$1")" = 8664 ] && loader=$wine64
end_prefix() {
    trap '' TERM INT HUP  # a time-out may signal twice: finish the cleanup
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
}
trap end_prefix EXIT
trap 'exit 143' TERM INT HUP
wineserver -p
# Waited for in the background, so that a signal is handled at once. Bounded
# so that with the template prefix's making it stays below CTest's time-out
# of a test (2400 s), which ends this script too hard for any cleanup.
timeout --kill-after=10 "${WINE_RUN_LIMIT_S:-2000}" "$loader" "$@" &
wait $!
