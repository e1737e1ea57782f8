# Cross-building for 64-bit Windows with Debian's MinGW-w64 (the posix thread
# model, which std::thread and Qt need). Used for Qt itself
# (tools/windows-qt.sh) and for the program (tools/windows-build.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(QUOBEL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUOBEL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUOBEL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUOBEL_MINGW_TRIPLE}-windres)

# Headers, libraries and CMake packages come from the MinGW sysroot and from
# the prefixes given (the Windows Qt); programs run at build time are the
# host's own (Debian's Qt tools, Python).
set(CMAKE_FIND_ROOT_PATH /usr/${QUOBEL_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
