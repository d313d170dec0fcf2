# Tests of the Windows cross build, run under wine by ctest in the build
# folder. Included from tests/CMakeLists.txt in place of the native golden
# cases; the unit tests run through CMAKE_CROSSCOMPILING_EMULATOR (see
# cmake/mingw-w64-x86_64.cmake).
#
# - golden.<case>: every tests/cases/<case>/ with an args file, the same
#   cases as the native build with the same expected bytes.
# - windows.<case>: every tests/cases_windows/<case>/ with a cmdline file,
#   the raw command line for what only Windows has (see wine_case.sh).
#
# All start zudiz.exe through launch_raw.exe, which hands it an exact command
# line; tests/support/wine_case.sh prepares and checks each case.

add_executable(launch_raw ${CMAKE_CURRENT_SOURCE_DIR}/support/launch_raw.cpp)

set(ZUDIZ_WINE_RUN ${CMAKE_CROSSCOMPILING_EMULATOR})
set(ZUDIZ_CASE_WORK ${CMAKE_CURRENT_BINARY_DIR}/case_work)

# Makes the prefix, keeps a wineserver up while the cases run and maps drive
# W: to the work folder of the Windows-only cases.
add_test(NAME wine.start
         COMMAND ${ZUDIZ_WINE_RUN} --drive w ${ZUDIZ_CASE_WORK}/windows)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)

function(zudiz_wine_case kind case_dir)
  get_filename_component(case_name ${case_dir} NAME)
  add_test(NAME ${kind}.${case_name}
           COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/support/wine_case.sh
                   $<TARGET_FILE:zudiz> $<TARGET_FILE:launch_raw>
                   ${case_dir} ${ZUDIZ_CASE_WORK}
                   ${ZUDIZ_WINE_RUN})
  set_tests_properties(${kind}.${case_name} PROPERTIES FIXTURES_REQUIRED wine)
endfunction()

file(GLOB ZUDIZ_CASES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cases/*/args)
foreach(args_file ${ZUDIZ_CASES})
  get_filename_component(case_dir ${args_file} DIRECTORY)
  zudiz_wine_case(golden ${case_dir})
endforeach()

file(GLOB ZUDIZ_WINDOWS_CASES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/cases_windows/*/cmdline)
foreach(cmdline_file ${ZUDIZ_WINDOWS_CASES})
  get_filename_component(case_dir ${cmdline_file} DIRECTORY)
  zudiz_wine_case(windows ${case_dir})
endforeach()
