# Checks that gen_reports writes the same bytes on every machine: one small
# pair of each variant, against their recorded SHA-256 sums (file 1 comes
# from the seed alone, so it is the same for all of them). A change of the
# generator that changes its output must update the sums on purpose.
#   cmake -DGEN=path/to/gen_reports -DWORK_DIR=dir -P check_gen.cmake
set(one 32f3f1e3946d80a58dbf5bc28ac33c0fad14d63f450fbd12ed34597c18aa7c12)
set(sum_same_1 ${one})
set(sum_same_2 e7add760c36c2860d0d04e2979d3b722df73bd9edabb88e7c5ed16842f23348c)
set(sum_tiny_1 ${one})
set(sum_tiny_2 b884c79237b851cd9ee0af7e7c88e1f1b38649f07124c1544b0e829585444662)
set(sum_lines_1 ${one})
set(sum_lines_2 cd5e5c335d6307cbc858ff35eba15f2913b68cf1560d0bc696783c03aa551acf)
set(sum_all_1 ${one})
set(sum_all_2 39dd88ad729a2bd798b7981656ba4b4c9d97ece935abe4133363da8fa1e9ea6a)
set(sum_half_1 ${one})
set(sum_half_2 1592650024efb006922b42fcbc6828246e59f7d5d8620b0bf0bbf15f91d16cec)
set(sum_extra_1 ${one})
set(sum_extra_2 a0d4fc9a7fa1cab04cfedfaeb22e89a02ed75076d1bcd950b4a09f97e0bc6112)

file(MAKE_DIRECTORY ${WORK_DIR})
foreach(variant same tiny lines all half extra)
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
