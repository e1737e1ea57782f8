# quobel_wayland_protocol(TARGET XML)
# Generates the client header and the glue code of a Wayland protocol
# description at build time and adds them to TARGET, an object library of its
# own: the generated C is nobody's to keep free of warnings. Its symbols stay
# hidden (private-code), so a library holding it exports none of them.
find_program(QUOBEL_WAYLAND_SCANNER wayland-scanner REQUIRED)

function(quobel_wayland_protocol TARGET XML)
    get_filename_component(name ${XML} NAME_WE)
    set(header ${CMAKE_CURRENT_BINARY_DIR}/${name}-client-protocol.h)
    set(code ${CMAKE_CURRENT_BINARY_DIR}/${name}-protocol.c)
    add_custom_command(OUTPUT ${header}
        COMMAND ${QUOBEL_WAYLAND_SCANNER} client-header ${XML} ${header}
        DEPENDS ${XML} VERBATIM)
    add_custom_command(OUTPUT ${code}
        COMMAND ${QUOBEL_WAYLAND_SCANNER} private-code ${XML} ${code}
        DEPENDS ${XML} VERBATIM)
    target_sources(${TARGET} PRIVATE ${header} ${code})
    target_include_directories(${TARGET} PUBLIC ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
