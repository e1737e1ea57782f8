#!/usr/bin/env bash
# Start-up benchmark: time from launching the program to its start notice on
# screen, and its peak memory, beside a minimal Qt program that shows one
# message box, measured the same way in the same run on a private Xvfb.
#
#   bench/startup/run.sh BUILD_DIR [RUNS]
#
# Goal: the program within 1.15x the minimal program's median time and 1.2x
# its median peak memory (VmHWM). Exits 1 when the goal is missed.
set -euo pipefail

build=$(cd "${1:?usage: run.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-30}
program="$build/bin/QuobelV3.2.5跟进版"
minimal="$build/bench/quobel_bench_minimal_box"
probe="$build/bench/quobel_startup_probe"
for file in "$program" "$minimal" "$probe"; do
    [ -x "$file" ] || { echo "run.sh: $file is missing; build the project first" >&2; exit 2; }
done

work=$(mktemp -d /tmp/quobel-startup.XXXXXX)
source "$(dirname "$0")/../../tools/private-x.sh"
QUOBEL_XVFB_PID=
cleanup() {
    quobel_stop $QUOBEL_XVFB_PID
    rm -rf "$work"
}
trap cleanup EXIT

# No window manager on purpose: the program's own map request then reaches
# the probe directly, with no window manager's reaction time in the figure.
quobel_start_xvfb "$work" 1280x1024x24 || exit 2
unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON

# One run: a fresh HOME and runtime folder, so the program's single-instance
# lock never sees the copy stopped in the run before.
measure() { # LABEL PROGRAM -> appends "ms kib" to $work/LABEL
    local label=$1 exe=$2 home
    home=$(mktemp -d "$work/home.XXXXXX")
    mkdir -m 700 "$home/runtime"
    HOME=$home XDG_RUNTIME_DIR=$home/runtime "$probe" "使用须知" 20000 "$exe" >>"$work/$label"
    rm -rf "$home"
}

# A first run of each warms the page cache; it is not counted.
measure warmup "$program"
measure warmup "$minimal"
for ((i = 0; i < runs; i++)); do
    # Alternate which goes first, so drifting load hits both alike.
    if ((i % 2)); then
        measure program "$program"; measure minimal "$minimal"
    else
        measure minimal "$minimal"; measure program "$program"
    fi
done

median() { # FILE COLUMN
    sort -n -k"$2","$2" "$1" | awk -v c="$2" '{ v[NR] = $c }
        END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
p_ms=$(median "$work/program" 1); m_ms=$(median "$work/minimal" 1)
p_kib=$(median "$work/program" 2); m_kib=$(median "$work/minimal" 2)
awk -v runs="$runs" -v pm="$p_ms" -v mm="$m_ms" -v pk="$p_kib" -v mk="$m_kib" 'BEGIN {
    tr = pm / mm; kr = pk / mk
    printf "start-up to the notice on screen, median of %d runs each\n", runs
    printf "  program  %8.1f ms  %8d KiB peak\n", pm, pk
    printf "  minimal  %8.1f ms  %8d KiB peak\n", mm, mk
    printf "  ratio    %8.3f x (goal <= 1.15)  %6.3f x (goal <= 1.2)\n", tr, kr
    if (tr > 1.15 || kr > 1.2) { print "  GOAL MISSED"; exit 1 }
    print "  goal met"
}'
