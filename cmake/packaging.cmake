# Release packages, made with cpack in a build folder:
#   native build:  cpack -G DEB  -> zudiz_<version>_<arch>.deb (the program)
#                                   zudiz-dev_<version>_<arch>.deb (the library)
#   Windows build: cpack -G ZIP  -> zudiz-<version>-windows-x86_64.zip
# `make package` makes both in out/. The manual page doc/zudiz.1 goes in
# when it exists at packaging time.

# What goes into the packages.
if(WIN32)
  # One folder: zudiz.exe, README.md and zudiz.1 side by side.
  install(TARGETS zudiz RUNTIME DESTINATION . COMPONENT program)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION . COMPONENT program)
  install(FILES ${CMAKE_SOURCE_DIR}/doc/zudiz.1 DESTINATION . OPTIONAL
          COMPONENT program)
else()
  include(GNUInstallDirs)
  install(TARGETS zudiz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          COMPONENT program)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR}
          COMPONENT program)
  install(FILES ${CMAKE_SOURCE_DIR}/doc/zudiz.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 OPTIONAL COMPONENT program)
endif()

set(CPACK_PACKAGE_NAME zudiz)
set(CPACK_PACKAGE_VENDOR "The ZUDIZ authors")
set(CPACK_PACKAGE_CONTACT "The ZUDIZ authors" CACHE STRING
    "Maintainer named in the Debian package")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compares two VAV report files")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  # The zip holds the program only (the library's files are for C++ builds
  # with this same toolchain; `cmake --install` puts them in place).
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_COMPONENTS_ALL program)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME
      zudiz-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR})
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ZUDIZ compares two report files of the VAV program and lists where they
differ, apart from page headers and footers and tiny numeric differences.")
  # Two packages, as Debian splits a program from what one builds against:
  # zudiz (the program and its manual) and zudiz-dev (the static library,
  # its header, the CMake package and zudiz.pc). Users of the program get no
  # headers; the library is static, so zudiz-dev needs nothing at run time.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL program dev)
  set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME zudiz)
  set(CPACK_DEBIAN_DEV_PACKAGE_NAME zudiz-dev)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(CPACK_COMPONENT_DEV_DESCRIPTION "ZUDIZ as a C++20 library: a comparison of two VAV report files as a function call
that returns the listing, the counts, the listed pairs and the number pairs.")
  set(CPACK_COMPONENT_PROGRAM_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
endif()

include(CPack)
