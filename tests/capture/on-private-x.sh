#!/usr/bin/env bash
# Runs a test program on a private Xvfb of its own, stopped by process id.
#   on-private-x.sh SCREEN [XVFB_OPTION...] -- PROGRAM [ARGUMENT...]
set -euo pipefail
screen=$1
shift
options=()
while [ "$#" -gt 0 ] && [ "$1" != "--" ]; do
    options+=("$1")
    shift
done
shift
work=$(mktemp -d /tmp/quobel-x-test.XXXXXX)
source "$(dirname "$0")/../../tools/private-x.sh"
QUOBEL_XVFB_PID=
trap 'quobel_stop $QUOBEL_XVFB_PID; rm -rf "$work"' EXIT
quobel_start_xvfb "$work" "$screen" "${options[@]}"
"$@"
