# Installed layout: the program, its icon and the capture library in one
# private folder (the program looks for both beside itself), a launcher on
# PATH, and a desktop entry with its icon for the menus.
include(GNUInstallDirs)

set(QUOBEL_INSTALL_DIR "${CMAKE_INSTALL_LIBDIR}/quobel")
file(RELATIVE_PATH QUOBEL_LAUNCH_RELATIVE
    "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix/${QUOBEL_INSTALL_DIR}")

install(TARGETS quobel RUNTIME DESTINATION "${QUOBEL_INSTALL_DIR}")
install(FILES "${QUOBEL_ICON_FILE}" DESTINATION "${QUOBEL_INSTALL_DIR}")

# The capture library's folder is added after this one, so whether it
# exists is only known once the whole project has been read. The library
# needs nothing beyond the system's Qt, so it goes in as built.
function(quobel_install_capture_library destination)
    if(TARGET CameraDll)
        install(FILES "$<TARGET_FILE:CameraDll>" DESTINATION "${destination}")
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

    configure_file(quobel.desktop.in "${CMAKE_CURRENT_BINARY_DIR}/quobel.desktop" @ONLY)
    install(FILES "${CMAKE_CURRENT_BINARY_DIR}/quobel.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")

    qt_add_executable(quobel_icon_png icon_png.cpp)
    target_link_libraries(quobel_icon_png PRIVATE Qt6::Gui quobel_warnings)
    set_target_properties(quobel_icon_png PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
    set(QUOBEL_ICON_PNG "${CMAKE_CURRENT_BINARY_DIR}/quobel.png")
    add_custom_command(
        OUTPUT "${QUOBEL_ICON_PNG}"
        COMMAND quobel_icon_png "${QUOBEL_ICON_FILE}" "${QUOBEL_ICON_PNG}"
        DEPENDS quobel_icon_png "${QUOBEL_ICON_FILE}" quobel_icon
        COMMENT "Making the menu icon"
        VERBATIM)
    add_custom_target(quobel_icon_png_file ALL DEPENDS "${QUOBEL_ICON_PNG}")
    install(FILES "${QUOBEL_ICON_PNG}"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps")
endif()
