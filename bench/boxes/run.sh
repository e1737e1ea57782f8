#!/usr/bin/env bash
# Reply-box soak: the resident memory the program gains per 1,000 message
# boxes (and per 1,000 error reports) shown and dismissed, on a private Xvfb desktop with openbox, beside a
# plain QMessageBox per message as the yardstick.
#
#   bench/boxes/run.sh BUILD_DIR [BOXES]
#
# Builds nothing. Goal: under 1 MiB over 2,000 boxes, that is under 512 KiB
# per 1,000 boxes. Exits 1 when the goal is missed.
set -euo pipefail

build=$(cd "${1:?usage: run.sh BUILD_DIR [BOXES]}" && pwd)
boxes=${2:-2000}
soak="$build/bench/quobel_box_soak"
[ -x "$soak" ] || { echo "run.sh: $soak is missing; build the project first" >&2; exit 2; }

work=$(mktemp -d /tmp/quobel-boxes.XXXXXX)
source "$(dirname "$0")/../../tools/private-x.sh"
QUOBEL_XVFB_PID=
wm=
cleanup() {
    quobel_stop $wm $QUOBEL_XVFB_PID
    rm -rf "$work"
}
trap cleanup EXIT
quobel_start_xvfb "$work" 1280x1024x24 || exit 2
# The growth shows only when each box is really mapped and painted, as under
# a window manager.
openbox >"$work/openbox.log" 2>&1 &
wm=$!
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

timeout 600 "$soak" --boxes "$boxes" --bare 2>>"$work/log"
timeout 600 "$soak" --boxes "$boxes" 2>>"$work/log" | tee "$work/program"
timeout 600 "$soak" --boxes "$boxes" --errors 2>>"$work/log" | tee -a "$work/program"
awk '{ for (i = 1; i < NF; i++) if ($(i + 1) == "KiB" && $(i + 2) == "per") print $i }' \
    "$work/program" | awk '
    $1 + 0 >= 512 { missed = 1 }
    END {
        if (missed) { print "  GOAL MISSED (under 512 KiB per 1,000 boxes)"; exit 1 }
        print "  goal met (under 512 KiB per 1,000 boxes)"
    }'
