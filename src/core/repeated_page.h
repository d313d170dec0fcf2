// The last page pair compared, when it was short, the same bytes in both
// files and changed nothing but the count of lines compared: its bytes and
// what comparing it added, so that the pages after it that repeat it byte
// for byte can be passed with the same effect (compare/file_loop.cpp). A
// file with a page end every few bytes is compared page by page otherwise.
#pragma once

#include <array>
#include <cstdint>

struct RepeatedPage {
  static constexpr std::uint32_t kMaxLength = 64;
  // From the page's first token through its page end; length 0: none.
  std::array<unsigned char, kMaxLength> bytes{};
  std::uint32_t length = 0;
  std::array<std::int32_t, 2> lineEnds{};  // line ends each file passed
  std::int32_t linesCompared = 0;          // lines compared on the page
};
