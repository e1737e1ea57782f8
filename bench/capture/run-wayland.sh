#!/usr/bin/env bash
# Capture benchmark on a headless sway: see wayland.py beside this script.
#   bench/capture/run-wayland.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:?usage: run-wayland.sh BUILD_DIR [RUNS]}" && pwd)
export QUOBEL_BENCH_RUNS=${2:-7}
exec /usr/bin/python3 "$(dirname "$0")/wayland.py" --program "$build/bin/QuobelV3.2.5跟进版" \
    --tools "$build/tests" --also "$build/bench/quobel_capture_bench" --scenario bench \
    --timeout 900
