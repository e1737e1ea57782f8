# quobel_install_gzipped(FILE DESTINATION [COMPONENT component])
# Installs FILE (relative to the calling source folder) compressed as FILE.gz, the
# way Debian keeps manual pages and changelogs: the best compression and no
# time stamp, so the same source makes the same bytes.
function(quobel_install_gzipped file destination)
    cmake_parse_arguments(G "" "COMPONENT" "" ${ARGN})
    get_filename_component(source "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_filename_component(name "${file}" NAME)
    set(plain "${CMAKE_CURRENT_BINARY_DIR}/gzipped/${name}")
    add_custom_command(
        OUTPUT "${plain}.gz"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_CURRENT_BINARY_DIR}/gzipped"
        COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${plain}"
        COMMAND gzip -9nf "${plain}"
        DEPENDS "${source}"
        VERBATIM)
    string(MAKE_C_IDENTIFIER "quobel_gzip_${name}" target)
    add_custom_target(${target} ALL DEPENDS "${plain}.gz")
    if(G_COMPONENT)
        install(FILES "${plain}.gz" DESTINATION "${destination}"
            COMPONENT ${G_COMPONENT} EXCLUDE_FROM_ALL)
    else()
        install(FILES "${plain}.gz" DESTINATION "${destination}")
    endif()
endfunction()
