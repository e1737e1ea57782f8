# A private X display for the scripts that take pictures or time the program.
# Sourced, not run.

# quobel_start_xvfb WORK_DIR SCREEN [XVFB_OPTION...] (e.g. 1920x1080x24)
# Starts Xvfb on a free display, sets QUOBEL_XVFB_PID and points Qt at it.
quobel_start_xvfb() {
    local work=$1 screen=$2 display
    shift 2
    # -displayfd: the server picks a free display and writes its number here.
    mkfifo "$work/display"
    Xvfb -displayfd 3 -nolisten tcp -screen 0 "$screen" "$@" 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    QUOBEL_XVFB_PID=$!
    if ! read -r -t 30 display <"$work/display"; then
        echo "$(basename "$0"): Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
    unset WAYLAND_DISPLAY QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
}

# quobel_stop PID... ends each process and waits for it.
quobel_stop() {
    local pid
    for pid in "$@"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
