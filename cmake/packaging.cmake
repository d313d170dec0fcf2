# Release packages, made with cpack in a build folder:
#   native build:  cpack -G DEB  -> zudiz_<version>_<arch>.deb (the programs)
#                                   zudiz-dev_<version>_<arch>.deb (the library)
#                                   python3-zudiz_<version>_<arch>.deb (the
#                                   Python module and pytest plugin)
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
  # One folder: zudiz.exe and zudiz-suite.exe (installed by src/suite), the
  # README, licence, changelog and manual pages.
  install(TARGETS zudiz RUNTIME DESTINATION . COMPONENT program)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
                ${CMAKE_SOURCE_DIR}/CHANGELOG.md ${CMAKE_SOURCE_DIR}/doc/zudiz.1
                ${CMAKE_SOURCE_DIR}/doc/zudiz-suite.1
          DESTINATION . COMPONENT program)
  # Windows has no man: the manuals also go into the zip as HTML pages,
  # rendered on the build machine by groff's html device (Debian package
  # groff), without groff's time stamp so that the zip is reproducible.
  find_program(ZUDIZ_GROFF groff)
  if(ZUDIZ_GROFF)
    execute_process(COMMAND ${ZUDIZ_GROFF} -Thtml -man /dev/null
                    RESULT_VARIABLE zudiz_groff_html OUTPUT_QUIET ERROR_QUIET)
  endif()
  if(NOT ZUDIZ_GROFF OR NOT zudiz_groff_html EQUAL 0)
    message(FATAL_ERROR "The manuals' HTML pages need groff's html device "
                        "(apt-get install groff)")
  endif()
  set(zudiz_html_dir ${CMAKE_BINARY_DIR}/manuals)
  file(MAKE_DIRECTORY ${zudiz_html_dir})
  set(zudiz_html_pages)
  foreach(page zudiz zudiz-suite)
    set(html ${zudiz_html_dir}/${page}.html)
    add_custom_command(
      OUTPUT ${html}
      COMMAND sh -c "\"$0\" -Thtml -man \"$1\" > \"$2.tmp\" && \
                     sed '/^<!-- CreationDate:/d' \"$2.tmp\" > \"$2\" && \
                     rm \"$2.tmp\""
              ${ZUDIZ_GROFF} ${CMAKE_SOURCE_DIR}/doc/${page}.1 ${html}
      WORKING_DIRECTORY ${zudiz_html_dir}
      DEPENDS ${CMAKE_SOURCE_DIR}/doc/${page}.1 VERBATIM)
    list(APPEND zudiz_html_pages ${html})
  endforeach()
  add_custom_target(manuals_html ALL DEPENDS ${zudiz_html_pages})
  install(FILES ${zudiz_html_pages} DESTINATION . COMPONENT program)
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
  set(zudiz_man_pages ${CMAKE_SOURCE_DIR}/doc/zudiz.1
                       ${CMAKE_SOURCE_DIR}/doc/zudiz-suite.1)
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
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
  endforeach()
  add_custom_target(package_files ALL DEPENDS ${zudiz_gzipped})

  install(TARGETS zudiz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
          COMPONENT program)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/CHANGELOG.md
                ${zudiz_pkg_dir}/copyright ${zudiz_pkg_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT program)
  # Every Debian package carries its own copyright file and changelog.
  install(FILES ${zudiz_pkg_dir}/copyright ${zudiz_pkg_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/zudiz-dev COMPONENT dev)
  if(TARGET zudiz_python)
    install(FILES ${zudiz_pkg_dir}/copyright ${zudiz_pkg_dir}/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/python3-zudiz
            COMPONENT python_deb EXCLUDE_FROM_ALL)
  endif()
endif()

set(CPACK_PACKAGE_NAME zudiz)
set(CPACK_PACKAGE_VENDOR "The ZUDIZ authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compares VAV report files, pairs or whole suites")
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
differ, apart from page headers and footers and tiny numeric differences.
zudiz-suite compares whole folders or lists of report pairs in parallel and
writes JSON, JUnit and HTML reports.")
  # Two packages, as Debian splits a program from what one builds against:
  # zudiz (the programs and their manuals) and zudiz-dev (the static library,
  # its header, the CMake package and zudiz.pc). Users of the program get no
  # headers; the library is static, so zudiz-dev needs nothing at run time.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL program dev)
  set(CPACK_DEBIAN_PROGRAM_PACKAGE_NAME zudiz)
  set(CPACK_DEBIAN_DEV_PACKAGE_NAME zudiz-dev)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(CPACK_COMPONENT_DEV_DESCRIPTION "ZUDIZ as a C++20 library
A comparison of two VAV report files as a function call that returns the
listing, the counts, the listed pairs and the number pairs.")
  set(CPACK_COMPONENT_PROGRAM_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
  # A third, python3-zudiz, when the module is built: the package `zudiz`
  # for the python3 it was built for (the module's ABI), with the pytest
  # plugin. Its component installs the package into Debian's folder for
  # Python modules (src/python/CMakeLists.txt).
  if(TARGET zudiz_python)
    list(APPEND CPACK_COMPONENTS_ALL python_deb)
    set(CPACK_DEBIAN_PYTHON_DEB_PACKAGE_NAME python3-zudiz)
    set(CPACK_DEBIAN_PYTHON_DEB_PACKAGE_SECTION python)
    set(CPACK_DEBIAN_PYTHON_DEB_PACKAGE_DEPENDS "${ZUDIZ_PYTHON_DEB_DEPENDS}")
    set(CPACK_DEBIAN_PYTHON_DEB_PACKAGE_ENHANCES python3-pytest)
    set(CPACK_COMPONENT_PYTHON_DEB_DESCRIPTION "ZUDIZ from Python, with a pytest plugin
The Python package zudiz: a comparison of two VAV report files as a
function call (compare_files, compare_texts) that returns the status, the
program's exact output, the counts, the listed pairs and the number pairs.
Its pytest plugin checks produced reports against stored baselines and
accepts new ones with --zudiz-accept.")
  endif()
endif()

include(CPack)
