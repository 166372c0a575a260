#!/usr/bin/env bash
# Runs the sweep benchmark under Wine (its cost table, then growing numbers
# of windows and processes), then the reader, configuration, load and unload,
# and options benchmarks. Figures only, except that the reader benchmark fails
# when its sweeps read no address, the load and unload benchmark when a cycle
# keeps anything, and the options benchmark when a denied program outlives
# two timer periods and a half.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
# The largest run takes far longer than a test may (wine-run.sh's bound).
export WINE_RUN_LIMIT_S=14400
# The cost table: 30 windows at about 50 and about 400 processes.
"$here/scripts/wine-run.sh" "$build/wine" bench-cost "$build/bin/SweepBench.exe"
for run in "10 10 10000" "10 50 0" "10 200 0" "50 50 0" "300 300 0"; do
    set -- $run
    "$here/scripts/wine-run.sh" "$build/wine" "bench-$1-$2" "$build/bin/SweepBench.exe" "$@"
done
"$here/scripts/wine-run.sh" "$build/wine" bench-readers "$build/bin/ReaderBench.exe"
"$here/scripts/wine-run.sh" "$build/wine" bench-config "$build/bin/ConfigBench.exe"
"$here/scripts/wine-run.sh" "$build/wine" bench-lifecycle "$build/bin/LifecycleBench.exe"
# About 22 minutes: 20 trials at a 5 s and at a 60 s timer; about 2 with the
# foreground events, which do not wait for a tick.
"$here/scripts/wine-run.sh" "$build/wine" bench-options "$build/bin/OptionsBench.exe"
"$here/scripts/wine-run.sh" "$build/wine" bench-options-events "$build/bin/OptionsBench.exe" 20 FOREGROUND_EVENTS=1
