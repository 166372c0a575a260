#!/usr/bin/env bash
# wine-run.sh ROOT NAME PROGRAM [ARGS...]
# Runs a Windows program in ROOT/run/NAME, a fresh hermetic copy of the
# template prefix with a wineserver of its own (so windows, clipboard,
# foreground and shared sections are the program's alone), then ends that
# server and everything still running in the prefix.
set -uo pipefail
root=$1 name=$2
shift 2
here=$(dirname "$0")
. "$here/wine-env.sh"
"$here/wine-template.sh" "$root"
template=$root/template
prefix=$root/run/$name
rm -rf "$prefix"
mkdir -p "$root/run"
# Hard links make the copy cheap; the registry files must be real copies
# because wineserver rewrites them in place.
cp -al "$template" "$prefix"
for f in system.reg user.reg userdef.reg; do cp --remove-destination "$template/$f" "$prefix/$f"; done
export WINEPREFIX=$prefix
wineserver -p
wine "$@"
rc=$?
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
exit $rc
