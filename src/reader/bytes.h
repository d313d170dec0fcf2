// Byte classes and byte scans of report text: which bytes end a line or a
// page, which are blanks and which belong to a word, and the search for the
// next line terminator eight bytes at a time. Pure helpers on plain bytes,
// used by the page reader, the token reader, the comparison and the listing.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "core/reader_state.h"

inline constexpr unsigned char kComma = ',';

// Byte classes of the token reader.
enum class ByteClass : unsigned char {
  kLineEnd,   // LF, CR
  kPageEnd,   // FF
  kBlank,     // 0-9, 11, 14-32, comma, DEL: skipped between tokens
  kWordByte,  // every other byte
};

constexpr std::array<ByteClass, 256> makeByteClasses() {
  std::array<ByteClass, 256> classes{};
  for (int b = 0; b < 256; ++b) {
    const bool blank = b <= 32 || b == 127 || b == kComma;
    classes[b] = blank ? ByteClass::kBlank : ByteClass::kWordByte;
  }
  classes[kLf] = ByteClass::kLineEnd;
  classes[kCr] = ByteClass::kLineEnd;
  classes[kFf] = ByteClass::kPageEnd;
  return classes;
}

// The class of every byte. A word goes on over kWordByte bytes and over a
// comma between two digits; every other byte ends it.
inline constexpr std::array<ByteClass, 256> kByteClass = makeByteClasses();

// LF, CR and FF: the bytes that end a line (FF ends the page too).
inline bool isLineTerminator(unsigned char c) {
  return c == kLf || c == kCr || c == kFf;
}

inline bool isWordByte(unsigned char c) {
  return kByteClass[c] == ByteClass::kWordByte;
}

inline bool isDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// The eight bytes at `p`, in memory order, as one word.
inline std::uint64_t loadEight(const unsigned char* p) {
  std::uint64_t eight;
  std::memcpy(&eight, p, sizeof eight);
  return eight;
}

// True when one of the eight bytes in `eight` is below 14, as LF, FF and CR
// are. Exact: it is false only when every byte is 14 or above.
inline bool hasByteBelow14(std::uint64_t eight) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  return ((eight - kOnes * 14) & ~eight & kHighBits) != 0;
}

// Offset of the first line terminator in buf[from .. end - 1], or `end`.
// REQUIRES: from <= end.
inline std::uint32_t findLineEnd(const unsigned char* buf, std::uint32_t from,
                                 std::uint32_t end) {
  std::uint32_t i = from;
  for (;;) {
    while (end - i >= 8 && !hasByteBelow14(loadEight(buf + i))) {
      i += 8;
    }
    const std::uint32_t stop = std::min(end, i + 8);
    for (; i < stop; ++i) {
      if (isLineTerminator(buf[i])) {
        return i;
      }
    }
    if (i == end) {
      return end;
    }
  }
}
