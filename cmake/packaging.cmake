# Release packages, made with cpack in a build folder:
#   native build:  cpack -G DEB  -> zudiz_<version>_<arch>.deb
#   Windows build: cpack -G ZIP  -> zudiz-<version>-windows-x86_64.zip
# `make package` makes both in out/; CI checks the Debian one with lintian.

# The maintainer named in the Debian package, its changelog and its
# copyright file; a distributor sets their own.
set(CPACK_PACKAGE_CONTACT "The ZUDIZ authors <zudiz@example.org>" CACHE STRING
    "Maintainer named in the Debian package (Name <address>)")
# The date of this release, for the Debian changelog (RFC 2822).
set(ZUDIZ_RELEASE_DATE "Mon, 07 Dec 2026 12:00:00 +0000")

# What goes into the packages.
if(WIN32)
  # One folder: zudiz.exe, the README, licence, changelog and manual page.
  install(TARGETS zudiz RUNTIME DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
                ${CMAKE_SOURCE_DIR}/CHANGELOG.md DESTINATION .)
  install(FILES ${CMAKE_SOURCE_DIR}/doc/zudiz.1 DESTINATION . OPTIONAL)
else()
  include(GNUInstallDirs)
  # Debian wants the manual page and the changelog gzipped (without a time
  # stamp, so that builds are reproducible) and a machine-readable copyright
  # file in the documentation folder.
  set(zudiz_pkg_dir ${CMAKE_BINARY_DIR}/package-files)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/changelog
                 ${zudiz_pkg_dir}/changelog @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/copyright
                 ${zudiz_pkg_dir}/copyright @ONLY)
  set(zudiz_man_pages ${CMAKE_SOURCE_DIR}/doc/zudiz.1)
  set(zudiz_gzipped ${zudiz_pkg_dir}/changelog.gz)
  add_custom_command(
    OUTPUT ${zudiz_pkg_dir}/changelog.gz
    COMMAND gzip -9nc ${zudiz_pkg_dir}/changelog > ${zudiz_pkg_dir}/changelog.gz
    DEPENDS ${zudiz_pkg_dir}/changelog VERBATIM)
  foreach(page ${zudiz_man_pages})
    get_filename_component(page_name ${page} NAME)
    add_custom_command(
      OUTPUT ${zudiz_pkg_dir}/${page_name}.gz
      COMMAND gzip -9nc ${page} > ${zudiz_pkg_dir}/${page_name}.gz
      DEPENDS ${page} VERBATIM)
    list(APPEND zudiz_gzipped ${zudiz_pkg_dir}/${page_name}.gz)
    install(FILES ${zudiz_pkg_dir}/${page_name}.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_target(package_files ALL DEPENDS ${zudiz_gzipped})

  install(TARGETS zudiz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/CHANGELOG.md
                ${zudiz_pkg_dir}/copyright ${zudiz_pkg_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME zudiz)
set(CPACK_PACKAGE_VENDOR "The ZUDIZ authors")
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
