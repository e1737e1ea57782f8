#!/usr/bin/env bash
# Takes a picture of the capture overlay with a selection and its toolbar, on
# a private 1920x1080 Xvfb: the capture benchmark opens the overlay and holds
# it, xdotool drags a rectangle, ImageMagick takes the root window. Then, beside
# it, pictures of the program's own capture over its chat window on the
# end-to-end tests' desktop: marked up through the toolbar (capture-markup.png),
# pinned beside the window (capture-pin.png), and its text read
# (capture-read-text.png).
#
#   tools/screenshot-capture.sh BUILD_DIR [OUTPUT.png]
#
# Builds nothing. OUTPUT defaults to docs/capture-overlay.png.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: screenshot-capture.sh BUILD_DIR [OUTPUT.png]}" && pwd)
output=${2:-$root/docs/capture-overlay.png}
driver="$build/bench/quobel_capture_bench"
[ -x "$driver" ] || { echo "screenshot-capture.sh: $driver is missing; build first" >&2; exit 2; }
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "screenshot-capture.sh: $tool is missing" >&2; exit 2; }
done

work=$(mktemp -d /tmp/quobel-shot.XXXXXX)
source "$root/tools/private-x.sh"
QUOBEL_XVFB_PID=
driver_pid=
cleanup() {
    quobel_stop $driver_pid $QUOBEL_XVFB_PID
    rm -rf "$work"
}
trap cleanup EXIT
quobel_start_xvfb "$work" 1920x1080x24 || exit 2

"$driver" --hold >"$work/driver.out" 2>"$work/driver.err" </dev/null &
driver_pid=$!
for ((i = 0; i < 200; i++)); do
    grep -q "overlay up" "$work/driver.out" && break
    kill -0 "$driver_pid" 2>/dev/null || break
    sleep 0.1
done
grep -q "overlay up" "$work/driver.out" || {
    echo "screenshot-capture.sh: the overlay did not come up" >&2
    cat "$work/driver.err" >&2
    exit 1
}

# A drag from the top-left to the bottom-right of the area, in steps so the
# overlay sees the pointer move while the button is held.
xdotool mousemove 520 300
sleep 0.2
xdotool mousedown 1
for step in 1 2 3 4 5; do
    xdotool mousemove $((520 + step * 140)) $((300 + step * 80))
    sleep 0.05
done
xdotool mouseup 1
# Rest the pointer inside the selection, away from the toolbar.
xdotool mousemove 900 500
sleep 0.5

mkdir -p "$(dirname "$output")"
import -window root "$output"
echo "wrote $output"

# Escape ends the capture; the driver then exits by itself.
xdotool key Escape
for ((i = 0; i < 50; i++)); do
    kill -0 "$driver_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$driver_pid" 2>/dev/null; then
    echo "screenshot-capture.sh: the overlay did not close on Escape" >&2
    exit 1
fi
wait "$driver_pid" || { echo "screenshot-capture.sh: the driver failed" >&2; exit 1; }
driver_pid=

# The marked-up selection, the pin and the text read: the real program, its
# toolbar pressed through the accessibility bus (Debian's python, which has
# pyatspi).
for scenario in capture_markup capture_pin capture_read_text; do
    PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 "$root/tests/e2e/screenshot_tour.py" \
        --program "$build/bin/QuobelV3.2.5跟进版" --scenario "$scenario" \
        --output-dir "$(dirname "$output")" --timeout 120 >"$work/$scenario.log" 2>&1 || {
        echo "screenshot-capture.sh: the $scenario picture failed" >&2
        tail -20 "$work/$scenario.log" >&2
        exit 1
    }
    echo "wrote $(dirname "$output")/${scenario//_/-}.png"
done
