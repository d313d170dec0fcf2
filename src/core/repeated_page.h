// The last page pair compared, when both pages were short and comparing
// them printed nothing: the bytes of each and what comparing them added to
// the counts, so that the page pairs after it that repeat it byte for byte
// can be passed with the same effect (compare/file_loop.cpp). A file with a
// page end every few bytes is compared page by page otherwise.
#pragma once

#include <array>
#include <cstdint>

#include "core/settings.h"

struct RepeatedPage {
  static constexpr std::uint32_t kMaxLength = 64;
  bool recorded = false;
  // Each file's page, from its first token through its page end.
  std::array<std::array<unsigned char, kMaxLength>, 2> bytes{};
  std::array<std::uint32_t, 2> lengths{};
  // What comparing the pair added: line ends each file passed, every
  // counter, and pairs counted past the cap on listed pairs.
  std::array<std::int32_t, 2> lineEnds{};
  Counters added;
  std::int32_t pairsAdded = 0;
};
