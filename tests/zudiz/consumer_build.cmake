# Installs the library of a build folder into a scratch prefix, then builds
# and runs the consumer project against it, once through the CMake package
# and once through pkg-config (when there is one).
#   cmake -DBUILD_DIR=<build> -DCONSUMER_DIR=<tests/zudiz/consumer>
#         -DWORK_DIR=<scratch> -DCXX=<compiler> -P consumer_build.cmake

foreach(var BUILD_DIR CONSUMER_DIR WORK_DIR CXX)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "consumer_build.cmake needs -D${var}=...")
  endif()
endforeach()

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
run("install" "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
    --component dev)

run("configure" "${CMAKE_COMMAND}" -S "${CONSUMER_DIR}" -B "${WORK_DIR}/build"
    "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${CXX}"
    -DCMAKE_BUILD_TYPE=Release)
run("build" "${CMAKE_COMMAND}" --build "${WORK_DIR}/build")
run("the consumer" "${WORK_DIR}/build/consumer")
if(NOT last_output MATCHES "1  Numeric difference")
  message(FATAL_ERROR "unexpected output of the consumer:\n${last_output}")
endif()

find_program(PKG_CONFIG NAMES pkg-config pkgconf)
if(NOT PKG_CONFIG)
  message(STATUS "no pkg-config: its part is left out")
  return()
endif()
file(GLOB_RECURSE pc_files "${prefix}/*/zudiz.pc")
list(LENGTH pc_files found)
if(NOT found EQUAL 1)
  message(FATAL_ERROR "zudiz.pc not installed once under ${prefix}: ${pc_files}")
endif()
get_filename_component(pc_dir "${pc_files}" DIRECTORY)
run("pkg-config" "${CMAKE_COMMAND}" -E env "PKG_CONFIG_PATH=${pc_dir}"
    "${PKG_CONFIG}" --cflags --libs zudiz)
string(STRIP "${last_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run("compile with pkg-config" "${CXX}" -std=c++20
    "${CONSUMER_DIR}/main.cpp" ${flags} -o "${WORK_DIR}/consumer_pc")
run("the pkg-config consumer" "${WORK_DIR}/consumer_pc")
