# Installation and packages: the two programs, their manual pages, the documentation and the
# example dialogues, laid out by GNUInstallDirs, with the Python module and the web page where
# they are built; `cpack` in the build folder makes a .deb and a .tar.gz.
#
#   cmake --install build --prefix ~/.local      # or /usr/local by default
#   cmake --build build --target holestress_web  # the web page, when Emscripten is there
#   (cd build && cpack)                           # holestress_<version>_<arch>.deb, .tar.gz
#
# `cmake --install` and the .tar.gz lay the files out for a prefix of one's own: plain manual
# pages, the LICENSE, the Python module where that prefix's interpreter looks
# (src/python/CMakeLists.txt). The .deb lays them out as Debian policy asks: the Python module in
# /usr/lib/python3/dist-packages, manual pages and changelog compressed with gzip -9n, the
# licence as /usr/share/doc/holestress/copyright. The two layouts are install components: the
# .deb takes the common ones and "deb", which `cmake --install` leaves out (EXCLUDE_FROM_ALL).
include(GNUInstallDirs)

foreach(program holestress holestress-plot)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(holestress_man_pages ${PROJECT_SOURCE_DIR}/docs/man/holestress.1)
if(TARGET holestress-plot)
  list(APPEND holestress_man_pages ${PROJECT_SOURCE_DIR}/docs/man/holestress-plot.1)
endif()
install(FILES ${holestress_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT man)

# Everything in docs/ but the manual-page sources, which went to man1 above; a document added
# to docs/ later is installed without touching this file.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
        PATTERN man EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT license)

# The web page, once built (cmake --build build --target holestress_web): one offline file to
# open in a browser. `cmake --install` passes over it when it is not built; the .deb insists.
set(holestress_web_page "")
set(holestress_deb_web 0)
if(HOLESTRESS_WEB AND TARGET holestress_web)
  set(holestress_deb_web 1)
  set(holestress_web_page ${CMAKE_BINARY_DIR}/web/holestress.html)
  install(FILES ${holestress_web_page} DESTINATION ${CMAKE_INSTALL_DATADIR}/holestress
          COMPONENT web OPTIONAL)
  # lintian takes an .html file outside /usr/share/doc for documentation; this one is the program.
  install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian/lintian-overrides
          DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME holestress
          COMPONENT deb EXCLUDE_FROM_ALL)
else()
  message(STATUS "Packages: the web page is not built here (no Emscripten, or HOLESTRESS_WEB "
                 "is OFF), so the .deb will not carry it")
endif()

# ---- Debian's layout ---------------------------------------------------------------------------
# The manual pages and the changelog compressed with gzip -9n (no name, no time stamp: the same
# bytes every build), and the copyright file in Debian's machine-readable form, its licence text
# taken from LICENSE.
set(deb_files ${CMAKE_BINARY_DIR}/deb)
file(MAKE_DIRECTORY ${deb_files})
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
set(copyright_holder "")
set(licence_text "")
foreach(line IN LISTS licence_lines)
  if(copyright_holder STREQUAL "" AND line MATCHES "^Copyright (\\([cC]\\) )?(.*)$")
    set(copyright_holder "${CMAKE_MATCH_2}")
  elseif(NOT copyright_holder STREQUAL "")
    # Continuation lines of a field: one blank first; an empty line is a lone full stop.
    if(line STREQUAL "")
      string(APPEND licence_text "\n .")
    else()
      string(APPEND licence_text "\n ${line}")
    endif()
  endif()
endforeach()
string(REGEX REPLACE "^\n \\.(\n \\.)*" "" licence_text "${licence_text}")
string(REGEX REPLACE "(\n \\.)+$" "" licence_text "${licence_text}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/copyright.in ${deb_files}/copyright @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian/changelog.in ${deb_files}/changelog @ONLY)

find_program(GZIP_EXECUTABLE gzip)
if(GZIP_EXECUTABLE)
  set(deb_gz "")
  foreach(source ${holestress_man_pages} ${deb_files}/changelog)
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${deb_files}/${name}.gz
      COMMAND ${GZIP_EXECUTABLE} -9n -c ${source} > ${deb_files}/${name}.gz
      DEPENDS ${source} VERBATIM)
    list(APPEND deb_gz ${deb_files}/${name}.gz)
  endforeach()
  add_custom_target(holestress_deb_files ALL DEPENDS ${deb_gz})
  list(FILTER deb_gz EXCLUDE REGEX "/changelog\\.gz$")
  install(FILES ${deb_gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT deb EXCLUDE_FROM_ALL)
  install(FILES ${deb_files}/changelog.gz ${deb_files}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR}
          COMPONENT deb EXCLUDE_FROM_ALL)
else()
  message(STATUS "Packages: gzip not found, the .deb cannot be made")
endif()

# The Python package where Debian's python3 finds the modules of packages, and the interpreter
# and NumPy it needs as dependencies: a compiled module serves one minor version of Python.
# (holestress.dask needs Dask only when it is imported.)
set(holestress_deb_depends "")
set(holestress_deb_python 0)
if(TARGET holestress_python)
  set(holestress_deb_python 1)
  install(TARGETS holestress_python LIBRARY DESTINATION lib/python3/dist-packages/holestress
          COMPONENT deb EXCLUDE_FROM_ALL)
  foreach(file __init__.py dask.py _holestress.pyi)
    install(FILES ${PROJECT_SOURCE_DIR}/src/python/holestress/${file}
            DESTINATION lib/python3/dist-packages/holestress COMPONENT deb EXCLUDE_FROM_ALL)
  endforeach()
  execute_process(COMMAND ${Python_EXECUTABLE} -c
                          "import sys; print('%d.%d %d.%d' % (sys.version_info[:2] + (sys.version_info[0], sys.version_info[1] + 1)))"
                  OUTPUT_VARIABLE python_versions OUTPUT_STRIP_TRAILING_WHITESPACE)
  separate_arguments(python_versions)
  list(GET python_versions 0 python_this)
  list(GET python_versions 1 python_next)
  set(holestress_deb_depends "python3 (>= ${python_this}), python3 (<< ${python_next}), python3-numpy")
endif()

# Bind every symbol at load time, so that the whole relocation table can be read-only (with the
# -z relro that Debian's linker sets already): the hardening Debian's build flags ask for.
foreach(target holestress holestress-plot holestress_python)
  if(TARGET ${target})
    target_link_options(${target} PRIVATE -Wl,-z,now)
  endif()
endforeach()
# ------------------------------------------------------------------------------------------------

# The installed tree: the files are where they belong, the programs run from there on an
# installed example, and the manual pages format without a single groff warning. The package:
# made by cpack and read by lintian (tests/install/check_deb.sh).
if(HOLESTRESS_TESTS)
  add_test(NAME install.tree
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/install/check_install.sh ${CMAKE_COMMAND}
            ${PROJECT_BINARY_DIR} $<CONFIG> ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}
            ${CMAKE_INSTALL_DOCDIR} $<TARGET_EXISTS:holestress-plot>)
  add_test(NAME install.man
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/install/check_man.sh ${holestress_man_pages})
  set_tests_properties(install.man PROPERTIES SKIP_RETURN_CODE 77)
  get_filename_component(cmake_bin ${CMAKE_COMMAND} DIRECTORY)
  if(HOLESTRESS_SANITIZE OR HOLESTRESS_FUZZ)
    # Instrumented programs are not for a package; the plain build makes and checks it.
    add_test(NAME install.deb
      COMMAND sh -c "echo 'a sanitizer or fuzzing build: the package is left to the plain build'; exit 77")
  else()
    add_test(NAME install.deb
      COMMAND sh ${PROJECT_SOURCE_DIR}/tests/install/check_deb.sh ${cmake_bin}/cpack
              ${PROJECT_BINARY_DIR} ${holestress_deb_python} ${holestress_deb_web})
  endif()
  set_tests_properties(install.deb PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600)
  if(holestress_deb_web)
    set_tests_properties(install.deb PROPERTIES FIXTURES_REQUIRED web_page)
  endif()
endif()

# Packages.
set(HOLESTRESS_MAINTAINER "holestress developers <holestress@example.org>"
    CACHE STRING "Maintainer written into the .deb package")
if(PROJECT_VERSION)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
else()
  set(CPACK_PACKAGE_VERSION 1.0.0)
endif()
set(CPACK_PACKAGE_NAME holestress)
set(CPACK_PACKAGE_VENDOR "holestress developers")
set(CPACK_PACKAGE_CONTACT ${HOLESTRESS_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "stress analysis of a composite laminate with a hole")
# Lines of at most 80 characters, as the package's description is shown.
set(CPACK_PACKAGE_DESCRIPTION
    "holestress computes the stiffness of a flat composite laminate, the anisotropic\n"
    "stress field around an open or bolt-loaded circular hole (bearing and bypass),\n"
    "ply strains and stresses, five ply failure criteria, reserve factors and the\n"
    "first-ply failure load at a distance from the hole edge, and carpet plots over\n"
    "66 layups of 0, +-45 and 90 degree plies, from a dialogue or from job files.\n"
    "holestress-plot draws an analysis as one self-contained HTML page of SVG\n"
    "pictures; the Python module holestress runs job files and many load cases\n"
    "into NumPy arrays; /usr/share/holestress/holestress.html is the whole program\n"
    "as one offline web page.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RPM_PACKAGE_LICENSE MIT)
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # holestress_1.0.0_amd64.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${HOLESTRESS_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The C++ runtime and libc the programs link against, as dpkg-shlibdeps finds them, and what the
# Python module needs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${holestress_deb_depends}")
# One .deb of the common components and Debian's layout; the .tar.gz stays one tree of what
# `cmake --install` installs.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified deb)
if(holestress_deb_web)
  list(APPEND CPACK_COMPONENTS_ALL web)
endif()
# After the files are staged and before the .deb is made: what Debian's strip removes as well
# (the compiler's .comment and .note sections), and a check that the package is whole.
set(CPACK_HOLESTRESS_STRIP ${CMAKE_STRIP})
set(CPACK_HOLESTRESS_PYTHON ${holestress_deb_python})
set(CPACK_HOLESTRESS_WEB_PAGE ${holestress_deb_web})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian/staged.cmake)

# The archive unpacks into holestress-1.0.0-Linux/ with bin/, share/man/ and share/doc/ below it.
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CMAKE_SYSTEM_NAME})
include(CPack)
