#!/usr/bin/env bash
# wine-prefix.sh ROOT NAME: makes ROOT/run/NAME, a fresh hermetic copy of the
# template prefix (made first if missing), and prints its path.
set -euo pipefail
root=$(realpath -m "$1") name=$2
"$(dirname "$0")/wine-template.sh" "$root" >&2
prefix=$root/run/$name
rm -rf "$prefix"
mkdir -p "$root/run"
# Hard links make the copy cheap; the registry files must be real copies
# because wineserver rewrites them in place.
cp -al "$root/template" "$prefix"
for f in system.reg user.reg userdef.reg; do cp --remove-destination "$root/template/$f" "$prefix/$f"; done
echo "$prefix"
