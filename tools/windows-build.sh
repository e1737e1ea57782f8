#!/usr/bin/env bash
# Cross-builds the program for 64-bit Windows and makes its zip:
#
#   tools/windows-build.sh [BUILD_DIR]     (default build-windows)
#
# gives BUILD_DIR/QuobelV3.2.5跟进版-windows-x64.zip. Installs what is missing,
# builds Qt for Windows first if the cache has none (tools/windows-qt.sh,
# about 30 minutes once), and draws the icon with the tool of the native
# build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/setup.sh
quobel_install_packages

dir=${1:-build-windows}
qt=$(tools/windows-qt.sh | tail -n1)

host=build
if [ ! -f "$host/CMakeCache.txt" ]; then
    cmake -S . -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$host" --target quobel_make_icon -j2 >/dev/null

start=$(date +%s)
if [ ! -f "$dir/CMakeCache.txt" ]; then
    # -O2, as Debian builds its own packages and Qt builds itself.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_PREFIX_PATH="$qt" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DQUOBEL_HOST_MAKE_ICON="$PWD/$host/tools/quobel_make_icon" >/dev/null
fi
cmake --build "$dir" -j2
echo "windows-build: built in $(($(date +%s) - start)) s: $(ls "$dir"/*-windows-x64.zip)"
