// What the word comparison learnt about short words it has read as numbers:
// the value, the length of the text after the number and the place of the
// last written digit. The alignment compares a differing line pair several
// times over; the entries spare reading the same words again. An entry is
// found by the word's text, so it stays right whatever the page buffers do.
// The operations are in compare/word_compare.cpp.
#pragma once

#include <array>
#include <cstdint>

// Words longer than this are read every time.
inline constexpr std::size_t kCachedWordLength = 24;

// An entry holds no text: the length and three eight-byte pieces of it
// (wordKey in compare/word_compare.cpp) tell every text of up to
// kCachedWordLength bytes apart.
struct WordCacheEntry {
  std::uint64_t head = 0;
  std::uint64_t tail = 0;
  std::uint64_t middle = 0;
  std::int64_t units = 0;
  std::int32_t place = 0;
  std::uint8_t length = 0;  // 0: the entry is unused
  std::uint8_t trailing = 0;
};

struct WordCache {
  static constexpr std::size_t kEntries = 256;
  std::array<WordCacheEntry, kEntries> entries{};
};
