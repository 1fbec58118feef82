# Run by cpack on the staged files, before it makes a package of them (CPACK_PRE_BUILD_SCRIPTS).
#
# The programs and the Python module lose the compiler's .comment and .note sections, as Debian's
# strip takes them out of every package: they name the compiler, nothing that runs reads them.
# A .deb must be whole: where this build made the Python module and the web page, the package
# carries them, or cpack stops here and says how to build what is missing.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
if(CPACK_HOLESTRESS_STRIP)
  foreach(file IN LISTS staged)
    if(file MATCHES "/bin/holestress(-plot)?$" OR file MATCHES "/holestress/_holestress\\.[^/]*\\.so$")
      execute_process(COMMAND ${CPACK_HOLESTRESS_STRIP} --remove-section=.comment
                              --remove-section=.note ${file}
                      RESULT_VARIABLE status)
      if(NOT status EQUAL 0)
        message(FATAL_ERROR "${CPACK_HOLESTRESS_STRIP} failed on ${file}")
      endif()
    endif()
  endforeach()
endif()

if(CPACK_GENERATOR STREQUAL "DEB")
  set(missing "")
  if(CPACK_HOLESTRESS_PYTHON AND NOT staged MATCHES "/usr/lib/python3/dist-packages/holestress/_holestress\\.[^;/]*\\.so")
    string(APPEND missing "\n  the Python module (cmake --build on this build folder makes it)")
  endif()
  if(CPACK_HOLESTRESS_WEB_PAGE AND NOT staged MATCHES "/usr/share/holestress/holestress\\.html")
    string(APPEND missing "\n  the web page: cmake --build on this build folder with --target holestress_web")
  endif()
  if(missing)
    message(FATAL_ERROR "The .deb would lack what this build makes:${missing}")
  endif()
endif()
