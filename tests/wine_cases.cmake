# Tests of the Windows cross build, run under wine by ctest in the build
# folder. Included from tests/CMakeLists.txt in place of the native golden
# cases; the unit tests run through CMAKE_CROSSCOMPILING_EMULATOR (see
# cmake/mingw-w64-x86_64.cmake).
#
# - golden.<case>: every tests/cases/<case>/ with an args file or a run.sh,
#   the same cases as the native build with the same expected bytes, except
#   those in ZUDIZ_POSIX_ONLY_CASES.
# - windows.<case>: every tests/cases_windows/<case>/ with a cmdline file,
#   the raw command line for what only Windows has (see wine_case.sh).
#
# All start zudiz.exe through launch_raw.exe, which hands it an exact command
# line; tests/support/wine_case.sh prepares and checks each case.

# Golden cases whose command line means something else on Windows. Only
# POSIX takes an existing file's path with slashes as one name; on Windows
# the slashes start switches.
# - long_labels: c:verylongreportname.rpt is a file in the current folder on
#   POSIX but a name on drive C: on Windows, and sub/a_very_long_... holds a
#   slash. cases_windows/long_labels_drive_and_folder is its counterpart.
# - fifo_input, process_substitution: a FIFO and /dev/fd/7, which Windows
#   has not.
# - hostile_10000_switches: its command line of about 50000 characters is
#   longer than a Windows command line can be (32767).
# - hostile_unmatched_quotes: its run.sh hands wine separate arguments, and
#   wine escapes their quotes (\") when it builds the Windows command line,
#   so the program never sees the unmatched quote the case is about.
# - quotes_in_file_names: each argument is one word on POSIX; in a Windows
#   command line a double quote groups text.
# - slash_path_any_case, slash_path_missing_file, hostile_bad_paths: only
#   POSIX looks up a word with slashes as a path (letter case ignored) and
#   reports a missing file in an existing folder as a file it cannot open;
#   cases_windows/folder_with_trailing_slash is the Windows counterpart.
# - option_help, option_h, option_version: a lone --help, -h or --version
#   asks for the usage only on POSIX; on Windows it is a file name
#   (cases_windows/help_option_is_a_file_name).
# - write_error_full_disk: standard output on /dev/full, which Windows has
#   not; the Windows build ends quietly on every write error.
# - long_paths: names past 256 characters are taken whole only from words
#   the platform hands over split (POSIX); a Windows command line is split by
#   the program, which keeps 256 characters of a word (the suite's wine test
#   opens such names through the library).
set(ZUDIZ_POSIX_ONLY_CASES long_labels fifo_input process_substitution
    hostile_10000_switches hostile_unmatched_quotes write_error_full_disk
    long_paths
    quotes_in_file_names slash_path_any_case slash_path_missing_file
    hostile_bad_paths option_help option_h option_version)

add_executable(launch_raw ${CMAKE_CURRENT_SOURCE_DIR}/support/launch_raw.cpp)

set(ZUDIZ_WINE_RUN ${CMAKE_CROSSCOMPILING_EMULATOR})
set(ZUDIZ_CASE_WORK ${CMAKE_CURRENT_BINARY_DIR}/case_work)

# Makes the prefix, keeps a wineserver up while the cases run and maps drive
# W: to the source folder of the Windows-only cases (they only read there;
# each runs in its own work folder, on drive Z:).
add_test(NAME wine.start
         COMMAND ${ZUDIZ_WINE_RUN} --drive w
                 ${CMAKE_CURRENT_SOURCE_DIR}/cases_windows)
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

file(GLOB ZUDIZ_CASES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/cases/*/args
     ${CMAKE_CURRENT_SOURCE_DIR}/cases/*/run.sh)
list(TRANSFORM ZUDIZ_CASES REPLACE "/[^/]*$" "")
list(REMOVE_DUPLICATES ZUDIZ_CASES)
foreach(case_dir ${ZUDIZ_CASES})
  get_filename_component(case_name ${case_dir} NAME)
  if(NOT case_name IN_LIST ZUDIZ_POSIX_ONLY_CASES)
    zudiz_wine_case(golden ${case_dir})
  endif()
endforeach()

file(GLOB ZUDIZ_WINDOWS_CASES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/cases_windows/*/cmdline)
foreach(cmdline_file ${ZUDIZ_WINDOWS_CASES})
  get_filename_component(case_dir ${cmdline_file} DIRECTORY)
  zudiz_wine_case(windows ${case_dir})
endforeach()

# Standard output closed by its reader: the program ends quietly with 9.
add_test(NAME windows.closed_pipe
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/support/wine_closed_pipe.sh
                 $<TARGET_FILE:zudiz> ${ZUDIZ_CASE_WORK}/closed_pipe
                 ${ZUDIZ_WINE_RUN})
set_tests_properties(windows.closed_pipe PROPERTIES FIXTURES_REQUIRED wine
                                                 TIMEOUT 120)
