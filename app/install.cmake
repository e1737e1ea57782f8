# Installed layout: the program, its icon and the capture library in one
# private folder (the program looks for both beside itself), a launcher on
# PATH with its manual page, and for desktops a menu entry, its icons and the
# software-centre metadata.
include(GNUInstallDirs)
include(${PROJECT_SOURCE_DIR}/cmake/InstallGzipped.cmake)

set(QUOBEL_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/quobel")
# Debian keeps private binaries under the multiarch library folder, which
# GNUInstallDirs only picks for the /usr prefix; the package is made from a
# build for any prefix. Directly under lib/, CPack would also give the package
# scripts that run ldconfig for the capture library, which is no system
# library.
if(CMAKE_LIBRARY_ARCHITECTURE AND CMAKE_INSTALL_LIBDIR STREQUAL "lib")
    set(QUOBEL_INSTALL_DIR "lib/${CMAKE_LIBRARY_ARCHITECTURE}/quobel")
endif()
file(RELATIVE_PATH QUOBEL_LAUNCH_RELATIVE
    "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${QUOBEL_INSTALL_DIR}")

install(TARGETS quobel RUNTIME DESTINATION "${QUOBEL_INSTALL_DIR}")
install(FILES "${QUOBEL_ICON_FILE}" DESTINATION "${QUOBEL_INSTALL_DIR}")

# The capture library's folder is added after this one, so whether it
# exists is only known once the whole project has been read. Installed as a
# target, so a stripped install (the package's) strips it too.
function(quobel_install_capture_library destination)
    if(TARGET CameraDll)
        install(TARGETS CameraDll LIBRARY DESTINATION "${destination}")
    endif()
endfunction()
# A deferred call reads its variables when it runs, in the top folder's
# scope, so the destination is written into the call now.
cmake_language(EVAL CODE "
    cmake_language(DEFER DIRECTORY [[${PROJECT_SOURCE_DIR}]]
        CALL quobel_install_capture_library [[${QUOBEL_INSTALL_DIR}]])")

if(NOT WIN32)
    configure_file(quobel.sh.in "${CMAKE_CURRENT_BINARY_DIR}/quobel" @ONLY)
    install(PROGRAMS "${CMAKE_CURRENT_BINARY_DIR}/quobel" DESTINATION "${CMAKE_INSTALL_BINDIR}")
    quobel_install_gzipped(quobel.1 "${CMAKE_INSTALL_MANDIR}/man1")

    # Menus, icon themes and software centres all know the program by its
    # reverse-DNS name.
    # The entry starts the program itself, not the launcher on PATH, by its
    # full path: KWin finds a program's entry by that path alone. The prefix
    # is known only when installing (the package installs into /usr), so the
    # installed entry is written then; the one made here, for the configured
    # prefix, is for checking.
    set(QUOBEL_DESKTOP_ENTRY "${CMAKE_CURRENT_BINARY_DIR}/${QUOBEL_APP_ID}.desktop"
        CACHE INTERNAL "")
    set(QUOBEL_DESKTOP_EXEC
        "${CMAKE_INSTALL_PREFIX}/${QUOBEL_INSTALL_DIR}/${QUOBEL_EXECUTABLE_NAME}")
    configure_file(quobel.desktop.in "${QUOBEL_DESKTOP_ENTRY}" @ONLY)
    install(CODE "
        set(QUOBEL_EXECUTABLE_NAME [[${QUOBEL_EXECUTABLE_NAME}]])
        set(QUOBEL_APP_ID [[${QUOBEL_APP_ID}]])
        set(QUOBEL_DESKTOP_EXEC
            \"\${CMAKE_INSTALL_PREFIX}/${QUOBEL_INSTALL_DIR}/${QUOBEL_EXECUTABLE_NAME}\")
        set(entry [[${CMAKE_CURRENT_BINARY_DIR}/installed/${QUOBEL_APP_ID}.desktop]])
        configure_file([[${CMAKE_CURRENT_SOURCE_DIR}/quobel.desktop.in]] \"\${entry}\" @ONLY)
        file(INSTALL \"\${entry}\"
            DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
    ")

    set(QUOBEL_HOMEPAGE "https://qorhome.example.net/quobel/" CACHE STRING
        "The program's web page, named by the software-centre metadata")
    set(QUOBEL_SCREENSHOT_URL "${QUOBEL_HOMEPAGE}screenshots/" CACHE STRING
        "Where the pictures of docs/ are published, for software centres")
    set(QUOBEL_METAINFO "${CMAKE_CURRENT_BINARY_DIR}/${QUOBEL_APP_ID}.metainfo.xml"
        CACHE INTERNAL "")
    configure_file(quobel.metainfo.xml.in "${QUOBEL_METAINFO}" @ONLY)
    install(FILES "${QUOBEL_METAINFO}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

    # The hicolor theme takes PNG, not .ico, at the sizes menus and software
    # centres ask for.
    set(icons)
    foreach(size 16 24 32 48 64 128 256)
        set(icon "${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/${QUOBEL_APP_ID}.png")
        # Ninja makes an output's folder itself; Make does not.
        add_custom_command(
            OUTPUT "${icon}"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/icons/${size}"
            COMMAND quobel_make_icon "${icon}" ${size}
            DEPENDS quobel_make_icon
            COMMENT "Drawing the ${size}x${size} menu icon"
            VERBATIM)
        list(APPEND icons "${icon}")
        install(FILES "${icon}"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps")
    endforeach()
    add_custom_target(quobel_menu_icons ALL DEPENDS ${icons})
endif()
