# Checks that gen_reports writes the same bytes on every machine: one small
# pair of each variant, against their recorded SHA-256 sums (file 1 comes
# from the seed alone, so it is the same for all three). A change of the
# generator that changes its output must update the sums on purpose.
#   cmake -DGEN=path/to/gen_reports -DWORK_DIR=dir -P check_gen.cmake
set(one dd32a6d100708cb99eb257685c8f710aa409097c989b9a0672abf67cfc2412db)
set(sum_same_1 ${one})
set(sum_same_2 453d763a3c68bdc3da3c311d9f755fe1842bc065e9d8ad49ee799e04fef5d895)
set(sum_tiny_1 ${one})
set(sum_tiny_2 6046caa25c7c0c381ffb8f2e2aadc9a98ea51a213d7c83d6f546e2f0d0f47b72)
set(sum_lines_1 ${one})
set(sum_lines_2 6c305d63ef4f2de4b2c7fd63dbfeb6059d534fa10a33c8e46475e8bdce1629f9)

file(MAKE_DIRECTORY ${WORK_DIR})
foreach(variant same tiny lines)
  execute_process(
    COMMAND ${GEN} pair ${variant} 256K ${WORK_DIR}/${variant}.1.rpt
            ${WORK_DIR}/${variant}.2.rpt 7
    RESULT_VARIABLE status ERROR_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gen_reports ${variant} failed: ${status}")
  endif()
  foreach(n 1 2)
    file(SHA256 ${WORK_DIR}/${variant}.${n}.rpt sum)
    message(STATUS "${variant}.${n} ${sum}")
    if(NOT sum STREQUAL sum_${variant}_${n})
      message(SEND_ERROR "${variant}.${n}: ${sum}, expected ${sum_${variant}_${n}}")
      set(failed TRUE)
    endif()
  endforeach()
endforeach()
