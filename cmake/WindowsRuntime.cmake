# The MinGW-w64 runtime DLLs that every program of this toolchain needs
# beside it, as the compiler itself finds them.
function(quobel_mingw_runtime_dlls out)
    set(dlls)
    foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
        execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
            OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
            message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not find its runtime ${name}")
        endif()
        get_filename_component(path "${path}" REALPATH)
        list(APPEND dlls "${path}")
    endforeach()
    set(${out} ${dlls} PARENT_SCOPE)
endfunction()
