# Configures the project afresh with CMake's default generator, whatever the
# suite's own build uses, and builds the targets that write files of their
# own: Ninja creates the folders of a command's outputs, Make does not, so a
# rule that relies on that only fails here.
#   cmake -DSOURCE=... -DBINARY=... -DTARGETS="a;b" -P default_generator.cmake
file(REMOVE_RECURSE "${BINARY}")
execute_process(COMMAND ${CMAKE_COMMAND} -S "${SOURCE}" -B "${BINARY}"
        -DCMAKE_BUILD_TYPE=Debug -DQUOBEL_WERROR=ON
    RESULT_VARIABLE configured OUTPUT_QUIET)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "configuring with the default generator failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${BINARY}" --parallel 2 --target ${TARGETS}
    RESULT_VARIABLE built)
file(REMOVE_RECURSE "${BINARY}")
if(NOT built EQUAL 0)
    message(FATAL_ERROR "building ${TARGETS} with the default generator failed")
endif()
