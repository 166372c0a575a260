#!/usr/bin/env bash
# Makes the template Wine prefix ROOT/template once: 64-bit (as the Windows
# hosts that run this 32-bit module), null graphics driver (headless
# windows), and no crash dialog (without it a crash waits for ever).
set -euo pipefail
root=$(realpath -m "$1")
. "$(dirname "$0")/wine-env.sh"
template=$root/template
[ -f "$template/.ready" ] && exit 0
mkdir -p "$root"
# Tests start in parallel: the first makes the template, the others wait.
exec 9>"$root/.template.lock"
flock 9
[ -f "$template/.ready" ] && exit 0
rm -rf "$template"
export WINEPREFIX=$template
"$wine64" wineboot -i >/dev/null 2>&1 || true
"$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
"$wine64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null
wineserver -k || true
wineserver -w || true
touch "$template/.ready"
