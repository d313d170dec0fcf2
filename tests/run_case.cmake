# Runs one golden case: cmake -DPROGRAM=<zudiz> -DCASE_DIR=<case folder>
#   -DWORK_DIR=<scratch folder> -P run_case.cmake
#
# The case folder holds the input report files, `args` (one command-line word
# per line, exactly; an empty line is an empty word), `expected.txt` (the exact
# bytes of standard output) and a README. A case that needs a shell feature
# has a `run.sh` instead of plain execution: bash runs it in WORK_DIR with
# PROGRAM as $1; it prints the program's output and exits with its status.
#
# The case passes when the program ends with status 9 and its standard output
# equals expected.txt byte for byte.

foreach(var PROGRAM CASE_DIR WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_case.cmake needs -D${var}=...")
  endif()
endforeach()

# A fresh scratch folder with the case's input files (sub-folders included).
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(GLOB case_files LIST_DIRECTORIES true RELATIVE "${CASE_DIR}"
     "${CASE_DIR}/*")
foreach(name IN LISTS case_files)
  if(NOT name MATCHES "^(args|expected\\.txt|README|run\\.sh)$")
    file(COPY "${CASE_DIR}/${name}" DESTINATION "${WORK_DIR}")
  endif()
endforeach()

set(actual_file "${WORK_DIR}.stdout")
file(REMOVE "${actual_file}")

# Quotes one word as a bracket argument, so that blanks, semicolons and empty
# words reach the program unchanged.
function(bracket_quote word out_var)
  set(eq "=")
  while(word MATCHES "\\]${eq}\\]")
    string(APPEND eq "=")
  endwhile()
  set(${out_var} "[${eq}[${word}]${eq}]" PARENT_SCOPE)
endfunction()

if(EXISTS "${CASE_DIR}/run.sh")
  execute_process(
    COMMAND bash "${CASE_DIR}/run.sh" "${PROGRAM}"
    WORKING_DIRECTORY "${WORK_DIR}"
    OUTPUT_FILE "${actual_file}"
    RESULT_VARIABLE status)
else()
  # Split `args` at line feeds by hand: list handling would drop empty words
  # and split at semicolons.
  file(READ "${CASE_DIR}/args" args_text)
  bracket_quote("${PROGRAM}" command_words)
  while(NOT args_text STREQUAL "")
    string(FIND "${args_text}" "\n" nl)
    if(nl EQUAL -1)
      set(word "${args_text}")
      set(args_text "")
    else()
      string(SUBSTRING "${args_text}" 0 ${nl} word)
      math(EXPR rest_start "${nl} + 1")
      string(SUBSTRING "${args_text}" ${rest_start} -1 args_text)
    endif()
    bracket_quote("${word}" quoted)
    string(APPEND command_words " ${quoted}")
  endwhile()
  cmake_language(EVAL CODE "
    execute_process(
      COMMAND ${command_words}
      WORKING_DIRECTORY [[${WORK_DIR}]]
      OUTPUT_FILE [[${actual_file}]]
      RESULT_VARIABLE status)")
endif()

# Shows a file's bytes readably: CR, TAB and other control bytes escaped, one
# output line per LF.
function(show_escaped title path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  set(text "")
  set(i 0)
  while(i LESS hex_length)
    string(SUBSTRING "${hex}" ${i} 2 byte)
    math(EXPR i "${i} + 2")
    math(EXPR code "0x${byte}")
    if(code EQUAL 10)
      string(APPEND text "\\n\n")
    elseif(code EQUAL 13)
      string(APPEND text "\\r")
    elseif(code EQUAL 92)
      string(APPEND text "\\\\")
    elseif(code EQUAL 59)
      string(APPEND text "\\;")
    elseif(code LESS 32 OR code GREATER 126)
      string(APPEND text "\\x${byte}")
    else()
      string(ASCII ${code} char)
      string(APPEND text "${char}")
    endif()
  endwhile()
  message("----- ${title} -----\n${text}<end>")
endfunction()

set(failed FALSE)
if(NOT status STREQUAL "9")
  message("exit status: ${status} (expected 9)")
  set(failed TRUE)
endif()
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E compare_files "${CASE_DIR}/expected.txt"
          "${actual_file}"
  RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message("standard output differs from expected.txt")
  show_escaped("expected" "${CASE_DIR}/expected.txt")
  if(EXISTS "${actual_file}")
    show_escaped("actual" "${actual_file}")
  endif()
  set(failed TRUE)
endif()
if(failed)
  message(FATAL_ERROR "case ${CASE_DIR} failed")
endif()
