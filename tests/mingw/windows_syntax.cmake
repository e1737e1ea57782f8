# Run by ctest: cmake -DGROUP=... -DFLAGS_FILE=... -P windows_syntax.cmake
if(MISSING)
    message(FATAL_ERROR "The MinGW-w64 cross compiler or windres is missing: "
        "tools/setup.sh installs g++-mingw-w64-x86-64-posix and binutils-mingw-w64-x86-64.")
endif()
include(${GROUP})
include(${FLAGS_FILE})
set(arguments -std=c++20 -fsyntax-only
    # As Qt's own Windows builds compile.
    -DUNICODE -D_UNICODE -DQT_CORE_LIB -DQT_GUI_LIB -DQT_WIDGETS_LIB -DQT_NETWORK_LIB
    ${FLAGS})
foreach(dir IN LISTS INCLUDES)
    list(APPEND arguments -I${dir})
endforeach()
foreach(dir IN LISTS SYSTEM_INCLUDES)
    list(APPEND arguments -isystem ${dir})
endforeach()
set(failed)
foreach(source IN LISTS SOURCES)
    execute_process(COMMAND ${CXX} ${arguments} ${source}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message("${output}")
        list(APPEND failed ${source})
    endif()
endforeach()
list(LENGTH SOURCES count)
if(failed)
    list(JOIN failed "\n  " names)
    message(FATAL_ERROR "Does not compile for Windows:\n  ${names}")
endif()
message("${count} files compile for Windows")
