#!/usr/bin/env bash
# Capture benchmark: time from CameraSubArea being called to its overlay on
# screen, and the memory the overlay adds, on a private 1920x1080 Xvfb.
#
#   bench/capture/run.sh BUILD_DIR [RUNS]
#
# Builds nothing. Each run is a fresh process making three calls in a row;
# beside it, a fresh process that only grabs the screen with Qt gives the
# floor under the first call. Goal: the median first call under 150 ms to the
# overlay on screen, and no call adding three times one screen image
# (1920x1080x4 bytes) or more. Exits 1 when the goal is missed.
set -euo pipefail

build=$(cd "${1:?usage: run.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-7}
bench="$build/bench/quobel_capture_bench"
[ -x "$bench" ] || { echo "run.sh: $bench is missing; build the project first" >&2; exit 2; }

work=$(mktemp -d /tmp/quobel-capture.XXXXXX)
source "$(dirname "$0")/../../tools/private-x.sh"
QUOBEL_XVFB_PID=
cleanup() {
    quobel_stop $QUOBEL_XVFB_PID
    [ -n "${KEEP_WORK:-}" ] && echo "kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT
quobel_start_xvfb "$work" 1920x1080x24 || exit 2

for ((i = 0; i < runs; i++)); do
    timeout 60 "$bench" --grab-only >>"$work/grab"
    timeout 60 "$bench" --calls 3 >>"$work/calls"
done

median() { # reads numbers, one a line
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
grab=$(awk '$1 == "grab" { print $2 }' "$work/grab" | median)
load=$(awk '$1 == "load" { print $2 }' "$work/calls" | median)
first=$(awk '$1 == "call" && $2 == 1 { print $3 }' "$work/calls" | median)
later=$(awk '$1 == "call" && $2 > 1 { print $3 }' "$work/calls" | median)
worst=$(awk '$1 == "call" { print $3 }' "$work/calls" | sort -n | tail -1)
image=$(awk '$1 == "call" { print $5; exit }' "$work/calls")
ratios=$(awk '$1 == "call" { printf "%.2f\n", $4 / $5 }' "$work/calls" | sort -n)
awk -v runs="$runs" -v grab="$grab" -v load="$load" -v first="$first" -v later="$later" \
    -v worst="$worst" -v image="$image" -v low="$(head -1 <<<"$ratios")" \
    -v high="$(tail -1 <<<"$ratios")" 'BEGIN {
    printf "CameraSubArea on a 1920x1080 Xvfb, %d fresh processes of three calls each\n", runs
    printf "  library load and resolve      %8.1f ms median\n", load
    printf "  call to overlay on screen     %8.1f ms median first call (goal < 150), %.1f ms later calls, %.1f ms worst\n", first, later, worst
    printf "  bare QScreen::grabWindow(0)   %8.1f ms median in a fresh process (the floor)\n", grab
    printf "  memory added while up         %.2f to %.2f x one screen image of %d KiB (goal < 3)\n", low, high, image
    if (first >= 150 || high >= 3) { print "  GOAL MISSED"; exit 1 }
    print "  goal met"
}'
