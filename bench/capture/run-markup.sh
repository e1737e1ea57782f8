#!/usr/bin/env bash
# Marking-up benchmark on a private 3840x2160 Xvfb: a full-screen overlay
# holding 200 marks of every kind.
#
#   bench/capture/run-markup.sh BUILD_DIR [RUNS]
#
# Builds nothing. Goals: the median repaint per pointer move at most 8 ms,
# and Enter to the full-screen picture on the clipboard at most 150 ms.
# Exits 1 when a goal is missed.
set -euo pipefail

build=$(cd "${1:?usage: run-markup.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-3}
bench="$build/bench/quobel_markup_bench"
[ -x "$bench" ] || { echo "run-markup.sh: $bench is missing; build the project first" >&2; exit 2; }

work=$(mktemp -d /tmp/quobel-markup.XXXXXX)
source "$(dirname "$0")/../../tools/private-x.sh"
QUOBEL_XVFB_PID=
cleanup() {
    quobel_stop $QUOBEL_XVFB_PID
    rm -rf "$work"
}
trap cleanup EXIT
quobel_start_xvfb "$work" 3840x2160x24 || exit 2

for ((i = 0; i < runs; i++)); do
    timeout 300 "$bench" >>"$work/out"
done

median() { # reads numbers, one a line
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
worst() { sort -n | tail -1; }
get() { awk -v name="$1" -v col="$2" '$1 == name { print $col }' "$work/out"; }
drawing=$(get frame-drawing-a-mark 2 | median)
drawing_worst=$(get frame-drawing-a-mark 3 | worst)
adjusting=$(get frame-adjusting-the-selection 2 | median)
adjusting_worst=$(get frame-adjusting-the-selection 3 | worst)
full=$(get full-repaint 2 | median)
undo=$(get undo-redrawing-200-marks 2 | median)
part=$(get copy-of-a-3000x1800-selection 2 | median)
enter=$(get enter-to-clipboard 2 | median)
png=$(get enter-to-png-read-by-xclip 2 | median)
awk -v runs="$runs" -v drawing="$drawing" -v dw="$drawing_worst" -v adjusting="$adjusting" \
    -v aw="$adjusting_worst" -v full="$full" -v undo="$undo" -v part="$part" -v enter="$enter" -v png="$png" 'BEGIN {
    printf "Marking up on a 3840x2160 Xvfb with 200 marks, %d fresh processes (medians of their medians)\n", runs
    printf "  repaint per move, drawing a mark        %7.2f ms (worst %.2f; goal <= 8)\n", drawing, dw
    printf "  repaint per move, adjusting selection   %7.2f ms (worst %.2f; goal <= 8)\n", adjusting, aw
    printf "  repaint of the whole overlay            %7.2f ms (after an undo, a change of tool)\n", full
    printf "  undo, drawing the other marks again     %7.2f ms\n", undo
    printf "  Enter to the clipboard filled           %7.2f ms (goal <= 150), the whole screen selected\n", enter
    printf "  a 3000x1800 selection cut out           %7.2f ms\n", part
    printf "  Enter to the PNG read by xclip          %7.2f ms (the encoding another program waits for)\n", png
    if (drawing > 8 || adjusting > 8 || enter > 150) { print "  GOAL MISSED"; exit 1 }
    print "  goals met"
}'
