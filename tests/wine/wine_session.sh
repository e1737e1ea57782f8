#!/usr/bin/env bash
# The Wine world the Windows test programs run in: a private Xvfb, a private
# Wine prefix and its wineserver, all under one state folder of the build.
#
#   wine_session.sh start STATE    start Xvfb and the wineserver; make the
#                                  prefix on the first run
#   wine_session.sh stop STATE     end the wineserver (wineserver -k) and
#                                  Xvfb, by the ids recorded at start
#   wine_session.sh run STATE -- PROGRAM.exe [ARGS...]
#                                  run a program in it; exits with its status
#
# STATE/config.sh (written by CMake) names the folders of the Windows Qt and
# of the MinGW runtime DLLs. Everything started here has its output in
# STATE/*.log and not on ctest's pipes, which ctest would wait for.
set -euo pipefail

command=${1:?start, stop or run}
state=${2:?state folder}
shift 2
state=$(cd "$state" && pwd)
# shellcheck source=/dev/null
source "$state/config.sh"

export WINEPREFIX=$state/prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing here needs them, and asking to install them hangs.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
unset WAYLAND_DISPLAY

fail() {
    echo "wine_session: $*" >&2
    exit 1
}

# A Windows path for a folder of this machine: Wine's Z: drive is /.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

running() { [ -n "$1" ] && kill -0 "$1" 2>/dev/null; }

stop() {
    if [ -d "$WINEPREFIX" ]; then
        DISPLAY=$(cat "$state/display" 2>/dev/null || true) wineserver -k 2>/dev/null || true
    fi
    local pid
    pid=$(cat "$state/xvfb.pid" 2>/dev/null || true)
    # Only the Xvfb this folder started: its id and its command line.
    if running "$pid" && tr '\0' ' ' <"/proc/$pid/cmdline" | grep -q "^Xvfb .*-displayfd"; then
        kill "$pid"
        for _ in $(seq 50); do running "$pid" || break; sleep 0.1; done
        running "$pid" && kill -9 "$pid"
    fi
    rm -f "$state/xvfb.pid" "$state/display"
}

start() {
    stop # what an earlier run left behind
    command -v wine >/dev/null || fail "wine is missing (tools/setup.sh installs it)"
    command -v Xvfb >/dev/null || fail "Xvfb is missing (tools/setup.sh installs it)"

    # -displayfd: the server picks a free display itself, so no other
    # desktop is ever touched.
    exec 3>"$state/display"
    setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 -noreset \
        </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! >"$state/xvfb.pid"
    exec 3>&-
    for _ in $(seq 100); do
        [ -s "$state/display" ] && break
        running "$(cat "$state/xvfb.pid")" || fail "Xvfb did not start: $(tail -n1 "$state/xvfb.log")"
        sleep 0.1
    done
    [ -s "$state/display" ] || fail "Xvfb gave no display number"
    DISPLAY=:$(tr -d '\n' <"$state/display")
    export DISPLAY
    echo "$DISPLAY" >"$state/display"

    local fresh=0
    if [ ! -f "$WINEPREFIX/.quobel-ready" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        fresh=1
    fi
    # A server that stays up between the test programs.
    setsid wineserver -p </dev/null >"$state/wineserver.log" 2>&1 ||
        fail "wineserver did not start: $(tail -n1 "$state/wineserver.log")"
    if [ "$fresh" -eq 1 ]; then
        local began=$SECONDS
        wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || fail "wineboot failed; see $state/wineboot.log"
        # A new prefix has no font with Chinese glyphs; real Windows has its own.
        cp "$CJK_FONT" "$WINEPREFIX/drive_c/windows/Fonts/"
        touch "$WINEPREFIX/.quobel-ready"
        echo "wine_session: prefix made in $((SECONDS - began)) s"
    fi
    # Wine's services for the prefix, started now with their output here.
    wineboot </dev/null >>"$state/wineboot.log" 2>&1 || fail "wineboot failed; see $state/wineboot.log"
    echo "wine_session: Xvfb on $DISPLAY, prefix $WINEPREFIX"
}

run() {
    [ "${1:-}" = "--" ] && shift
    [ $# -ge 1 ] || fail "run: no program"
    [ -s "$state/display" ] || fail "no Wine session in $state (the wine_session fixture starts it)"
    DISPLAY=$(cat "$state/display")
    export DISPLAY
    # The DLLs of the Windows Qt and of the MinGW runtime, found as the
    # system finds DLLs on PATH.
    local path=() dir
    for dir in $QT_BIN_DIR $RUNTIME_DIRS; do path+=("$(windows_path "$dir")"); done
    WINEPATH=$(IFS=';' && echo "${path[*]}")
    export WINEPATH
    # Wine hands no QT_ variable to a Windows program; WINEQT_X arrives as
    # QT_X. Text in QTest's offscreen windows needs a font folder.
    local name
    for name in $(compgen -e | grep '^QT_' || true); do
        export "WINE$name=${!name}"
        unset "$name"
    done
    export WINEQT_QPA_FONTDIR=${WINEQT_QPA_FONTDIR:-$(windows_path "$(dirname "$CJK_FONT")")}
    # Without a console, QTest and qDebug write to the Windows debug log.
    export WINEQT_FORCE_STDERR_LOGGING=1
    # The output goes through a file: Wine may start its services for the
    # prefix from this program, and they would hold ctest's pipe open.
    local output status=0
    output=$(mktemp)
    wine "$@" </dev/null >"$output" 2>&1 || status=$?
    cat "$output"
    rm -f "$output"
    return "$status"
}

case $command in
start) start ;;
stop) stop ;;
run) run "$@" ;;
*) fail "unknown command $command" ;;
esac
