# Release packages, made with cpack in a build folder:
#   native build:  cpack -G DEB  -> zudiz_<version>_<arch>.deb
#   Windows build: cpack -G ZIP  -> zudiz-<version>-windows-x86_64.zip
# `make package` makes both in out/. The manual page doc/zudiz.1 goes in
# when it exists at packaging time.

# What goes into the packages.
if(WIN32)
  # One folder: zudiz.exe, README.md and zudiz.1 side by side.
  install(TARGETS zudiz RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/doc/zudiz.1 DESTINATION . OPTIONAL)
else()
  include(GNUInstallDirs)
  install(TARGETS zudiz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/doc/zudiz.1
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 OPTIONAL)
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
endif()

include(CPack)
