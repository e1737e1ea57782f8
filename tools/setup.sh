# Shared by ./run and ./test: installs what a fresh Debian 12 machine lacks,
# then configures and builds into the given folder. Sourced, not run.

QUOBEL_PACKAGES=(
    # build
    cmake g++ make ninja-build pkg-config qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    # so every Chinese text renders as glyphs, and Qt's own texts are Chinese too
    fonts-wqy-microhei qt6-translations-l10n
    # opening links, and the desktop the end-to-end tests run the program on
    # (xclip reads the captured image back from the clipboard)
    xdg-utils xvfb openbox xdotool wmctrl x11-utils imagemagick xclip
    # reading the running program the way a screen reader does
    dbus dbus-x11 at-spi2-core python3-pyatspi
    # the capture library's X11 (shared memory) and wlroots (screencopy) grabs
    libxcb1-dev libxcb-shm0-dev libwayland-dev
    # the capture's text recognition: Tesseract's header to build against (the
    # library itself is loaded when text is read) and its simplified Chinese
    # and English data
    libtesseract-dev tesseract-ocr-chi-sim tesseract-ocr-eng
    # the program on Wayland, and the headless sway desktop with the desktop
    # portals that its end-to-end tests run it on
    qt6-wayland sway grim wtype wl-clipboard
    pipewire xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
    # GNOME and KDE Plasma headless with their portals, for the capture's
    # end-to-end runs there: the shell and its settings store, KWin and
    # swaybg for its wallpaper, plasma-wayland-protocols for KWin's fake
    # input, and what Debian's KDE portal loads without depending on it (its
    # QML modules, plasma-workspace, Qt 5's Wayland platform)
    gnome-shell xdg-desktop-portal-gnome dconf-service libglib2.0-bin wireplumber
    kwin-wayland xdg-desktop-portal-kde swaybg plasma-wayland-protocols qtwayland5
    qml-module-org-kde-kirigami2 qml-module-qtquick-controls2 qml-module-qtquick-layouts
    qml-module-org-kde-kquickcontrolsaddons plasma-workspace
    # Chinese input methods for the text tool's end-to-end runs
    ibus ibus-libpinyin fcitx5 fcitx5-chinese-addons fcitx5-frontend-qt6
    clang-format
    # making the Debian package and checking it and its desktop metadata
    dpkg-dev file lintian desktop-file-utils appstream appstream-compose
    # the Windows program: Qt built from Debian's source of the installed Qt
    # (tools/windows-qt.sh) with the MinGW-w64 cross compiler, and its tests
    # under Wine with the X libraries Wine loads
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 dpkg-dev xz-utils patch
    wine wine64 fonts-wine libxcursor1 libxi6 libxrandr2 libxrender1 libxinerama1
    libxcomposite1 libxfixes3 libxxf86vm1
)

quobel_missing_packages() {
    local missing=() pkg
    for pkg in "${QUOBEL_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$' ||
            missing+=("$pkg")
    done
    [ "${#missing[@]}" -eq 0 ] || printf '%s\n' "${missing[@]}"
}

# The Windows Qt is built from Debian's source package of the installed Qt,
# which apt-get source finds through deb-src entries beside the deb ones.
QUOBEL_DEB_SRC=/etc/apt/sources.list.d/quobel-deb-src

quobel_has_deb_src() {
    apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Package: qt6-base$'
}

# Writes deb-src entries for the archives of the deb entries, in each of
# apt's two formats.
quobel_add_deb_src() {
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -f "$file" ] && [ "$file" != "$QUOBEL_DEB_SRC.sources" ] || continue
        sed 's/^Types:.*\bdeb\b.*/Types: deb-src/' "$file"
        echo
    done | "${sudo[@]}" tee "$QUOBEL_DEB_SRC.sources" >/dev/null
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
        sed -n 's/^deb /deb-src /p' | "${sudo[@]}" tee "$QUOBEL_DEB_SRC.list" >/dev/null
}

quobel_install_packages() {
    local missing
    mapfile -t missing < <(quobel_missing_packages)
    local need_src=0
    quobel_has_deb_src || need_src=1
    [ "${#missing[@]}" -gt 0 ] || [ "$need_src" -eq 1 ] || return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    if [ "$need_src" -eq 1 ]; then
        echo "Adding deb-src entries: $QUOBEL_DEB_SRC.sources, .list"
        quobel_add_deb_src
    fi
    export DEBIAN_FRONTEND=noninteractive
    # Another apt run (an unattended upgrade, a second checkout's set-up) may
    # hold the package lock for a while; wait for it rather than fail.
    local wait=(-o DPkg::Lock::Timeout=600)
    "${sudo[@]}" apt-get "${wait[@]}" update -qq
    [ "${#missing[@]}" -gt 0 ] || return 0
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" apt-get "${wait[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# quobel_build BUILD_DIR [extra cmake arguments...]
quobel_build() {
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    fi
    cmake --build "$dir"
}
