# Windows test programs run under Wine (wine_session.sh run), on the private
# Xvfb and in the private prefix that the wine_session fixture starts once for
# the whole run and stops at its end.
include(${PROJECT_SOURCE_DIR}/cmake/WindowsRuntime.cmake)
quobel_mingw_runtime_dlls(runtime_dlls)
set(runtime_dirs)
foreach(dll IN LISTS runtime_dlls)
    get_filename_component(dir "${dll}" DIRECTORY)
    list(APPEND runtime_dirs "${dir}")
endforeach()
list(REMOVE_DUPLICATES runtime_dirs)
list(JOIN runtime_dirs " " runtime_dirs)

set(QUOBEL_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
set(QUOBEL_CJK_FONT /usr/share/fonts/truetype/wqy/wqy-microhei.ttc)
file(MAKE_DIRECTORY ${QUOBEL_WINE_STATE})
file(WRITE ${QUOBEL_WINE_STATE}/config.sh
    "QT_BIN_DIR='${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}'\n"
    "RUNTIME_DIRS='${runtime_dirs}'\n"
    "CJK_FONT='${QUOBEL_CJK_FONT}'\n")

set(QUOBEL_WINE_SESSION ${CMAKE_CURRENT_LIST_DIR}/wine_session.sh)
set(QUOBEL_TEST_LAUNCHER ${QUOBEL_WINE_SESSION} run ${QUOBEL_WINE_STATE} --)
set(QUOBEL_TEST_FIXTURES wine_session)

add_test(NAME wine_session_start COMMAND ${QUOBEL_WINE_SESSION} start ${QUOBEL_WINE_STATE})
add_test(NAME wine_session_stop COMMAND ${QUOBEL_WINE_SESSION} stop ${QUOBEL_WINE_STATE})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session TIMEOUT 180)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session TIMEOUT 60)

# Qt finds its plugins beside its DLLs; its Chinese texts are Debian's.
foreach(folder tests tests/program-flow bin)
    file(WRITE ${CMAKE_BINARY_DIR}/${folder}/qt.conf
        "[Paths]\n"
        "Prefix = Z:${QT6_INSTALL_PREFIX}\n"
        "Translations = Z:/usr/share/qt6/translations\n")
endforeach()

# Test programs start as the program does: with its manifest, so with UTF-8
# as their narrow code page (which also keeps their Chinese output readable).
set(QUOBEL_TEST_RESOURCES ${CMAKE_BINARY_DIR}/tests/program_manifest.rc)
file(WRITE ${QUOBEL_TEST_RESOURCES}
    "// CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST\n"
    "1 24 \"${QUOBEL_MANIFEST_FILE}\"\n")
