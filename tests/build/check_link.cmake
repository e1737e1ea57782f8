# Run as: cmake -DURL=... [-DENDING=...] -P check_link.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/LinkCheck.cmake)
if(DEFINED ENDING)
    quobel_check_link(TEST_LINK "${URL}" "${ENDING}")
else()
    quobel_check_link(TEST_LINK "${URL}")
endif()
