# Read by cpack before it makes each package.

# CPack finds the binaries to hand to dpkg-shlibdeps by the names `file`
# prints; see file-raw.sh.
set(FILE_EXECUTABLE "${CMAKE_CURRENT_LIST_DIR}/file-raw.sh")
