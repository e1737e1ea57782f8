#!/usr/bin/env bash
# Click to overlay on headless GNOME and KWin: see desktops.py beside this script.
#   bench/capture/run-desktops.sh BUILD_DIR [RUNS]
set -euo pipefail
build=$(cd "${1:?usage: run-desktops.sh BUILD_DIR [RUNS]}" && pwd)
export QUOBEL_BENCH_RUNS=${2:-5}
for scenario in gnome_scale_1 gnome_mixed kwin_scale_1 kwin_scale_2; do
    /usr/bin/python3 "$(dirname "$0")/desktops.py" --program "$build/bin/QuobelV3.2.5跟进版" \
        --tools "$build/tests" --also "$build/bench/quobel_capture_bench" \
        --also "$build/tests/quobel_fake_input" --also "$build/tests/quobel_render_text" \
        --also "$build/app/net.example.qorhome.quobel.desktop" --scenario "$scenario" \
        --timeout 900
done
