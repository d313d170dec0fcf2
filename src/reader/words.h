// Where a word of report text ends, as one rule, and the reads of words from
// bytes in memory that the token reader, the peeks and the runs of equal
// lines share. A word is a run of word bytes (bytes.h) and of commas that
// stand between two digits; blanks, commas elsewhere and line terminators
// part words. Pure helpers on plain bytes.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "reader/bytes.h"

// What the byte after a word's last byte does to the word.
enum class WordStep {
  kGoesOn,             // `next` belongs to the word
  kEnds,               // the word ends with `prev`
  kEndsBeforeTheComma  // `prev` is a comma no digit follows: it is no part
};

// The word-end rule: `prev` is the last byte taken into a word, `next` the
// byte after it. A comma goes into the word only after a digit, and stays
// in it only when a digit follows.
inline WordStep wordStep(unsigned char prev, unsigned char next) {
  if (prev == kComma && !isDigit(next)) {
    return WordStep::kEndsBeforeTheComma;
  }
  if (next == kComma ? !isDigit(prev) : !isWordByte(next)) {
    return WordStep::kEnds;
  }
  return WordStep::kGoesOn;
}

// Whether the byte before text[at], a byte of a word, belongs to that word
// too, read backwards; `from` is where the text starts, and text[from] starts
// a word. The same rule as wordStep, for a scan that runs back.
inline bool joinsWordBefore(const unsigned char* text, std::uint32_t from,
                            std::uint32_t at) {
  const unsigned char c = text[at - 1];
  if (c != kComma) {
    return isWordByte(c);
  }
  return at - from >= 2 && wordStep(text[at - 2], c) == WordStep::kGoesOn &&
         wordStep(c, text[at]) == WordStep::kGoesOn;
}

// Report columns are padded with long runs of SPACEs; on a little-endian
// machine they are skipped eight bytes at a time, the first byte in memory
// being the lowest of the eight.
inline constexpr bool kSkipSpacesByEight =
    std::endian::native == std::endian::little;

// The offset of the first byte at or after `i` that is not a blank, or
// `end`.
inline std::uint32_t skipBlanks(const unsigned char* buf, std::uint32_t i,
                                std::uint32_t end) {
  for (;;) {
    if (kSkipSpacesByEight && end - i >= 8) {
      const std::uint64_t notSpace = loadEight(buf + i) ^ 0x2020202020202020;
      if (notSpace == 0) {
        i += 8;
        continue;
      }
      i += static_cast<std::uint32_t>(std::countr_zero(notSpace)) / 8;
    }
    if (i == end || kByteClass[buf[i]] != ByteClass::kBlank) {
      return i;
    }
    ++i;
  }
}

// The length of the word that starts at text[at], a word byte, as the token
// reader reads it, when every byte that decides it lies below `end`;
// otherwise 0. Runs of word bytes are passed sixteen at a time
// (findWordEnd); only a comma after a digit needs the byte after it, as in
// wordStep.
inline std::uint32_t wordLengthWithin(const unsigned char* text,
                                      std::uint32_t at, std::uint32_t end) {
  std::uint32_t i = findWordEnd(text, at + 1, end);
  for (;;) {
    if (i >= end) {
      return 0;
    }
    if (text[i] != kComma || !isDigit(text[i - 1])) {
      return i - at;
    }
    if (i + 1 >= end) {
      return 0;
    }
    if (!isDigit(text[i + 1])) {
      return i - at;
    }
    i = findWordEnd(text, i + 2, end);
  }
}

// Where the last word of the line text text[from .. lineEnd - 1] starts and
// ends, found backwards; the text starts with a word at `from`. {from, from}
// when the text holds blanks only.
struct LastWord {
  std::uint32_t start;
  std::uint32_t end;
};

inline LastWord findLastWord(const unsigned char* text, std::uint32_t from,
                             std::uint32_t lineEnd) {
  std::uint32_t end = lineEnd;
  while (end > from && kByteClass[text[end - 1]] == ByteClass::kBlank) {
    --end;
  }
  if (end == from) {
    return {from, from};
  }
  std::uint32_t start = end - 1;
  while (start > from && joinsWordBefore(text, from, start)) {
    --start;
  }
  return {start, end};
}

// Whether the text at `text` (four bytes or more) begins with one of the
// two tags of a page's head lines, "D&T=" or "P&V=".
inline bool startsWithTag(const unsigned char* text) {
  return std::memcmp(text, "D&T=", 4) == 0 || std::memcmp(text, "P&V=", 4) == 0;
}
