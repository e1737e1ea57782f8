# quobel_check_link(NAME URL [ENDING])
# Every web address ends up on a command line (the Windows build hands it to
# the command interpreter unquoted), so anything that could be read as more
# than one argument, or as an interpreter command, is refused when the
# program is configured rather than escaped at run time. ENDING is a pattern
# the address must end with.
function(quobel_check_link NAME URL)
    if(NOT URL MATCHES "^https?://[^/?#]+")
        message(FATAL_ERROR "${NAME} must be an absolute http or https URL, got \"${URL}\"")
    endif()
    if(URL MATCHES "[ \t\r\n]")
        message(FATAL_ERROR "${NAME} must not contain whitespace, got \"${URL}\"")
    endif()
    if(URL MATCHES "[&|<>^%\"\\]")
        message(FATAL_ERROR "${NAME} must not contain any of & | < > ^ % \" \\, got \"${URL}\"")
    endif()
    if(ARGC GREATER 2 AND NOT URL MATCHES "${ARGV2}$")
        message(FATAL_ERROR "${NAME} must end with \"${ARGV2}\", got \"${URL}\"")
    endif()
endfunction()
