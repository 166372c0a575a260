#!/usr/bin/env bash
# Runs the sweep benchmark under Wine for growing numbers of windows and
# processes, then the reader and configuration benchmarks. Figures only,
# except that the reader benchmark fails when its sweeps read no address.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
# The largest run takes far longer than a test may (wine-run.sh's bound).
export WINE_RUN_LIMIT_S=14400
for run in "10 10 10000" "10 50 0" "10 200 0" "50 50 0" "300 300 0"; do
    set -- $run
    "$here/scripts/wine-run.sh" "$build/wine" "bench-$1-$2" "$build/bin/SweepBench.exe" "$@"
done
"$here/scripts/wine-run.sh" "$build/wine" bench-readers "$build/bin/ReaderBench.exe"
"$here/scripts/wine-run.sh" "$build/wine" bench-config "$build/bin/ConfigBench.exe"
