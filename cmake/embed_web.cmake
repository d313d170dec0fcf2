# Builds the HTML report's page from its files and writes it as a C++ source
# that defines suite::reportTemplate().
#
#   cmake -DWEB_DIR=src/suite/web -DOUTPUT=report_template.cpp -P embed_web.cmake
#
# report.html holds @STYLE@ and @SCRIPT@ where report.css and report.js go,
# and @STYLE_HASH@ and @SCRIPT_HASH@ where the page's content security policy
# names them by their SHA-256: the page then runs no script and applies no
# style but its own, whatever a report smuggled past the escaping. Its {{...}}
# marks are left for the exporter.

foreach(var WEB_DIR OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "embed_web.cmake: ${var} is not set")
  endif()
endforeach()

file(READ ${WEB_DIR}/report.html page)
file(READ ${WEB_DIR}/report.css style)
file(READ ${WEB_DIR}/report.js script)

# The style and the script end up inside <style> and <script>: nothing in
# them may close those elements early, and no {{ may pass for a data mark.
function(check_inline name text)
  string(TOLOWER "${text}" lower)
  foreach(bad "</style" "</script" "<!--" "{{")
    string(FIND "${lower}" "${bad}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "embed_web.cmake: ${name} contains \"${bad}\"")
    endif()
  endforeach()
endfunction()
check_inline(report.css "${style}")
check_inline(report.js "${script}")

# Base64 of the bytes that `hex` spells, as content security policy hashes
# are written.
function(hex_to_base64 hex out)
  set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")
  string(LENGTH "${hex}" length)
  set(result "")
  set(i 0)
  while(i LESS length)
    string(SUBSTRING "${hex}" ${i} 6 group)
    string(LENGTH "${group}" group_length)
    string(SUBSTRING "${group}000000" 0 6 group)
    math(EXPR bits "0x${group}")
    set(chars "")
    foreach(shift 18 12 6 0)
      math(EXPR index "(${bits} >> ${shift}) & 63")
      string(SUBSTRING "${alphabet}" ${index} 1 char)
      string(APPEND chars "${char}")
    endforeach()
    if(group_length EQUAL 4)
      string(SUBSTRING "${chars}" 0 3 chars)
      string(APPEND chars "=")
    elseif(group_length EQUAL 2)
      string(SUBSTRING "${chars}" 0 2 chars)
      string(APPEND chars "==")
    endif()
    string(APPEND result "${chars}")
    math(EXPR i "${i} + 6")
  endwhile()
  set(${out} "${result}" PARENT_SCOPE)
endfunction()

string(SHA256 style_sha "${style}")
string(SHA256 script_sha "${script}")
hex_to_base64(${style_sha} style_hash)
hex_to_base64(${script_sha} script_hash)

foreach(mark STYLE SCRIPT STYLE_HASH SCRIPT_HASH)
  string(FIND "${page}" "@${mark}@" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "embed_web.cmake: report.html has no @${mark}@")
  endif()
endforeach()
# The hashes first: the style and the script are inserted as they are.
string(REPLACE "@STYLE_HASH@" "sha256-${style_hash}" page "${page}")
string(REPLACE "@SCRIPT_HASH@" "sha256-${script_hash}" page "${page}")
string(REPLACE "@STYLE@" "${style}" page "${page}")
string(REPLACE "@SCRIPT@" "${script}" page "${page}")

# Byte by byte, so that no compiler limit on string literals applies.
file(WRITE ${OUTPUT}.page "${page}")
file(READ ${OUTPUT}.page hex HEX)
file(REMOVE ${OUTPUT}.page)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x..',){16})" "\\1\n" bytes "${bytes}")

file(WRITE ${OUTPUT}.new
"// Made by cmake/embed_web.cmake from src/suite/web/: edit those files.
#include \"suite/report_template.h\"

namespace suite {
namespace {

const char kPage[${size}] = {
${bytes}
};

}  // namespace

std::string_view reportTemplate() {
  return std::string_view(kPage, sizeof kPage);
}

}  // namespace suite
")
# Unchanged output keeps its time stamp, so nothing rebuilds for nothing.
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
