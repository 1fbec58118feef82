# Installation and packages: the two programs, their manual pages, the documentation and the
# example dialogues, laid out by GNUInstallDirs; `cpack` in the build folder makes a .deb and a
# .tar.gz of the same tree.
#
#   cmake --install build --prefix ~/.local      # or /usr/local by default
#   (cd build && cpack)                           # holestress_<version>_<arch>.deb, .tar.gz
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
install(FILES ${holestress_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Everything in docs/ but the manual-page sources, which went to man1 above; a document added
# to docs/ later is installed without touching this file.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
        PATTERN man EXCLUDE)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)

# The installed tree: the files are where they belong, the programs run from there on an
# installed example, and the manual pages format without a single groff warning.
if(HOLESTRESS_TESTS)
  add_test(NAME install.tree
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/install/check_install.sh ${CMAKE_COMMAND}
            ${PROJECT_BINARY_DIR} $<CONFIG> ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_MANDIR}
            ${CMAKE_INSTALL_DOCDIR} $<TARGET_EXISTS:holestress-plot>)
  add_test(NAME install.man
    COMMAND sh ${PROJECT_SOURCE_DIR}/tests/install/check_man.sh ${holestress_man_pages})
  set_tests_properties(install.man PROPERTIES SKIP_RETURN_CODE 77)
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
set(CPACK_PACKAGE_DESCRIPTION
    "holestress computes the stiffness of a flat composite laminate, the anisotropic stress field\n"
    "around an open or bolt-loaded circular hole (bearing and bypass), ply strains and stresses,\n"
    "five ply failure criteria and the first-ply failure load at a distance from the hole edge,\n"
    "and carpet plots over 66 layups of 0, +-45 and 90 degree plies. holestress-plot draws the\n"
    "same analysis as one self-contained HTML page of SVG pictures.")
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
# The C++ runtime and libc the programs link against, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

# The archive unpacks into holestress-1.0.0-Linux/ with bin/, share/man/ and share/doc/ below it.
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CMAKE_SYSTEM_NAME})
include(CPack)
