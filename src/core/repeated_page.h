// The last page pair compared, when both pages were short and comparing
// them printed nothing: the bytes of each and what comparing them added to
// the counts, so that the page pairs after it that repeat it byte for byte
// can be passed with the same effect (compare/file_loop.cpp). A file with a
// page end every few bytes is compared page by page otherwise.
#pragma once

#include <array>
#include <cstdint>

#include "core/settings.h"
#include "core/side.h"

struct RepeatedPage {
  static constexpr std::uint32_t kMaxLength = 64;
  bool recorded = false;
  // Each file's page, from its first token through its page end.
  BySide<std::array<unsigned char, kMaxLength>> bytes{};
  BySide<std::uint32_t> lengths{};
  // What comparing the pair added: line ends each file passed, every
  // counter, and pairs counted past the cap on listed pairs.
  BySide<std::int32_t> lineEnds{};
  Counters added;
  std::int32_t pairsAdded = 0;
};
