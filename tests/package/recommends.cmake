# cmake -DDEB=... -P recommends.cmake: the package recommends Tesseract and
# both its languages, and does not depend on them.
foreach(field Recommends Depends)
    execute_process(COMMAND dpkg-deb --field "${DEB}" ${field}
        OUTPUT_VARIABLE ${field} OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
endforeach()
foreach(package libtesseract5 tesseract-ocr-chi-sim tesseract-ocr-eng)
    if(NOT Recommends MATCHES "(^|, )${package}(,|$)")
        message(FATAL_ERROR "Recommends lacks ${package}: ${Recommends}")
    endif()
    if(Depends MATCHES "${package}")
        message(FATAL_ERROR "Depends names ${package}, which is only recommended: ${Depends}")
    endif()
endforeach()
message("Recommends: ${Recommends}")
