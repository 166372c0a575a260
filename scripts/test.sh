#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
cd "${BUILD_DIR:-$here/build}"
ctest --output-on-failure -j "$(nproc)" "$@"
