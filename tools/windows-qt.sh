#!/usr/bin/env bash
# Builds Qt's base module for 64-bit Windows from Debian's source package of
# the Qt installed here, with Debian's MinGW-w64, and keeps it in the user's
# cache folder. Prints the installed prefix as its last line.
#
#   tools/windows-qt.sh            build if needed, print the prefix
#   tools/windows-qt.sh --prefix   print the prefix only if it is built
#
# Only what the program, its capture library and their tests use is built:
# Core, Gui, Widgets, Network, Test, the windows and offscreen platforms and
# the image, style and TLS plugins. The first run takes about 30 minutes on
# two cores; later runs find the cache and take seconds. The cache key holds
# the Qt package version, the compiler and MinGW runtime versions, and a
# digest of the build options and the toolchain file, so a change to any of
# them builds anew.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
jobs=${QUOBEL_BUILD_JOBS:-2}

say() { printf 'windows-qt: %s\n' "$*" >&2; }
die() {
    say "$*"
    exit 1
}

elapsed() {
    local s=$(($(date +%s) - $1))
    printf '%dm%02ds' $((s / 60)) $((s % 60))
}

# Processor seconds used so far by the programs this script waited for:
# cutime and cstime of /proc/PID/stat, read by the script's own shell.
cpu=0
cpu_seconds() {
    local fields
    read -r -a fields <"/proc/$$/stat"
    cpu=$(((fields[15] + fields[16]) / $(getconf CLK_TCK)))
}

# step NAME COMMAND...: runs one step with its output in the log; on failure
# prints one line naming the step and the log's last line.
log=
step() {
    local name=$1 start began
    shift
    start=$(date +%s)
    cpu_seconds
    began=$cpu
    say "$name ..."
    if ! "$@" >>"$log" 2>&1; then
        local last
        last=$(grep -m1 -E 'error:|FAILED:|CMake Error|^E: ' "$log" || tail -n1 "$log")
        die "$name failed after $(elapsed "$start"): ${last:0:200} (log: $log)"
    fi
    cpu_seconds
    say "$name done in $(elapsed "$start") ($((cpu - began)) processor seconds)"
}

version_of() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || true; }

qt_version=$(version_of qt6-base-dev)
[ -n "$qt_version" ] || die "qt6-base-dev is not installed; its Qt tools build the Windows Qt"
[ -d /usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo ] || die "Debian's Qt host tools are missing (qt6-base-dev-tools)"
command -v x86_64-w64-mingw32-g++-posix >/dev/null || die "the MinGW-w64 compiler is missing (g++-mingw-w64-x86-64-posix)"
gcc_version=$(version_of g++-mingw-w64-x86-64-posix)
mingw_version=$(version_of mingw-w64-x86-64-dev)

# Everything left out here is unused by the program, its library and its
# tests; each group is a few minutes of compiling saved (see the README).
qt_options=(
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    # Debian ships no MinGW builds of these libraries: Qt's bundled copies.
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
    # The +dfsg source lacks wintab, which tablet events need on Windows.
    -DFEATURE_tabletevent=OFF
    # No OpenGL: disabling the feature alone leaves dynamicgl on, which
    # then fails to compile in the windows platform.
    -DINPUT_opengl=no -DFEATURE_vulkan=OFF
    # Direct2D also carries the DirectWrite 3 font database; both or neither.
    -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
    # Modules and libraries nobody here uses.
    -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    -DFEATURE_dbus=OFF -DFEATURE_jpeg=OFF -DFEATURE_zstd=OFF -DFEATURE_brotli=OFF
    -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_openssl=OFF
    # Widgets and Gui classes the program does not show. (QInputDialog stays:
    # the windowsvista style includes its header whatever the features.)
    -DFEATURE_graphicsview=OFF -DFEATURE_graphicseffect=OFF -DFEATURE_mdiarea=OFF
    -DFEATURE_calendarwidget=OFF -DFEATURE_datetimeedit=OFF -DFEATURE_dial=OFF
    -DFEATURE_lcdnumber=OFF -DFEATURE_fontcombobox=OFF -DFEATURE_fontdialog=OFF
    -DFEATURE_colordialog=OFF -DFEATURE_wizard=OFF -DFEATURE_keysequenceedit=OFF
    -DFEATURE_commandlinkbutton=OFF -DFEATURE_splashscreen=OFF -DFEATURE_toolbox=OFF
    -DFEATURE_dockwidget=OFF -DFEATURE_tablewidget=OFF -DFEATURE_treewidget=OFF
    -DFEATURE_listwidget=OFF -DFEATURE_columnview=OFF -DFEATURE_datawidgetmapper=OFF
    -DFEATURE_undoview=OFF -DFEATURE_undogroup=OFF -DFEATURE_undostack=OFF -DFEATURE_undocommand=OFF
    -DFEATURE_errormessage=OFF -DFEATURE_progressdialog=OFF
    -DFEATURE_syntaxhighlighter=OFF -DFEATURE_textodfwriter=OFF -DFEATURE_pdf=OFF
    -DFEATURE_picture=OFF -DFEATURE_sessionmanager=OFF
)

digest=$({ printf '%s\n' "${qt_options[@]}"; cat "$toolchain"; } | sha256sum | cut -c1-10)
key="qt${qt_version}_gcc${gcc_version}_mingw${mingw_version}_${digest}"
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quobel/windows-qt
prefix=$cache/$key
done_stamp=$prefix/.quobel-complete

if [ "${1:-}" = "--prefix" ]; then
    [ -f "$done_stamp" ] || die "no Windows Qt built yet for $key; run tools/windows-qt.sh"
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
# One build at a time per cache: a second caller waits and then finds it.
exec 9>"$cache/.lock"
if ! flock -n 9; then
    say "another build of the Windows Qt is running; waiting for it"
    flock 9
fi

if [ -f "$done_stamp" ]; then
    say "cached: $prefix"
    echo "$prefix"
    exit 0
fi

total_start=$(date +%s)
# The build folder is kept when the build fails and is shared by every set of
# options for this Qt and toolchain: after a fix, the next run rebuilds only
# what the change touches.
work=$cache/build-qt${qt_version}_gcc${gcc_version}_mingw${mingw_version}
log=$cache/$key.log
: >"$log"
say "building Qt ${qt_version} for Windows (key $key), log: $log"
rm -rf "$prefix"
mkdir -p "$work"

src_dir=$work/qtbase-everywhere-src-${qt_version%%+*}
if [ ! -f "$work/.unpacked" ]; then
    rm -rf "$work/download" "$src_dir"
    mkdir -p "$work/download"
    # apt-get verifies the files against the archive's signed index.
    step "download of Debian's source package qt6-base=$qt_version" \
        bash -c 'cd "$1" && apt-get source --download-only "qt6-base=$2"' _ "$work/download" "$qt_version"
    step "unpacking" bash -c 'cd "$1" && tar xf download/*.orig.tar.xz && tar xf download/*.debian.tar.xz -C download' _ "$work"
    [ -d "$src_dir" ] || die "the source package did not unpack into $src_dir"
    # Debian's other patches are about its Linux packaging; its security
    # fixes apply to every platform.
    apply_security_fixes() {
        local p
        for p in $(grep -E '^cve-' "$work/download/debian/patches/series"); do
            echo "applying $p"
            patch -d "$src_dir" -p1 -s --no-backup-if-mismatch <"$work/download/debian/patches/$p"
        done
    }
    step "applying Debian's security fixes" apply_security_fixes
    touch "$work/.unpacked"
fi

# Configured afresh each time, so that no option of an earlier run lingers in
# the cache; objects whose inputs are the same are not compiled again.
rm -f "$work/build/CMakeCache.txt"
step "configuring" cmake -S "$src_dir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${qt_options[@]}"

# The build is long: a line every five minutes shows it is alive.
build_start=$(date +%s)
(
    while sleep 300; do
        progress=$(grep -aoE '\[[0-9]+/[0-9]+\]' "$log" | tail -n1 || true)
        say "  building ... $(elapsed "$build_start") ${progress}"
    done
) 9>&- &
ticker=$!
trap 'kill $ticker 2>/dev/null || true' EXIT
step "building with $jobs jobs (about 30 minutes on two cores)" cmake --build "$work/build" -j "$jobs"
kill $ticker 2>/dev/null || true
step "installing" cmake --install "$work/build"

echo "$key" >"$done_stamp"
rm -rf "$work"
say "Windows Qt ready in $(elapsed "$total_start"), $(du -sh "$prefix" | cut -f1): $prefix"
echo "$prefix"
