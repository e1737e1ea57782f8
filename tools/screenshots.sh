#!/usr/bin/env bash
# Pictures of the start notice, the start window and both chat windows for the
# documentation, taken from the program running on a private Xvfb desktop with
# openbox.
#
#   tools/screenshots.sh BUILD_DIR
#
# Writes docs/start-notice.png, docs/start-window.png, docs/chat-with-ads.png and
# docs/chat-without-ads.png.
set -euo pipefail
build=$(cd "${1:?usage: tools/screenshots.sh BUILD_DIR}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
program="$build/bin/QuobelV3.2.5跟进版"
[ -x "$program" ] || { echo "screenshots: $program is missing; build first" >&2; exit 2; }
mkdir -p "$root/docs"
# Debian's python, which has pyatspi.
PYTHONDONTWRITEBYTECODE=1 exec /usr/bin/python3 "$root/tests/e2e/screenshot_tour.py" \
    --program "$program" --scenario tour --output-dir "$root/docs" --timeout 120
