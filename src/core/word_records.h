// Word records: the words of a report line read once, where they stand in
// the line and, once a comparison needed it, what reading each as a number
// found. The line alignment judges a line pair and its one-line trials from
// them (compare/word_records.h) instead of reading the same words from the
// page buffers again for every trial. Each file keeps two lines, so that a
// line read as "the next line" in one step serves as the current line of the
// step after; a line is known again by its bytes, so the records stay right
// whatever the page buffers do in between. A line pair that reads the same
// up to a word far into it is read from there first. Fixed size, no
// allocation.
#pragma once

#include <array>
#include <cstdint>

#include "core/side.h"

// A line with more words than this is compared the plain way.
inline constexpr std::uint32_t kMaxRecordedWords = 128;
// A line is kept to be known again when its bytes (through the byte after
// its line end) number at most this many.
inline constexpr std::uint32_t kMaxKeptLineBytes = 512;

struct WordRecord {
  std::uint16_t at = 0;  // the first byte, counted from the line's first
  std::uint16_t length = 0;
  bool scanned = false;  // units, trailing and place are filled
  std::uint8_t trailing = 0;
  std::int32_t place = 0;
  std::int64_t units = 0;
};

struct LineRecord {
  std::uint32_t wordCount = 0;
  // The line end token (LF, CR LF or a lone CR), counted from the line's
  // first byte.
  std::uint32_t endAt = 0;
  std::uint32_t endLength = 0;
  // The line's bytes through the byte after its line end, by which it is
  // known again; 0 when it was not kept.
  std::uint32_t keptLength = 0;
  std::array<WordRecord, kMaxRecordedWords> words{};
  std::array<unsigned char, kMaxKeptLineBytes> kept{};
};

struct WordRecords {
  BySide<std::array<LineRecord, 2>> lines;
};
