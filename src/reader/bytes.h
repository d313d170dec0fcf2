// Byte classes and byte scans of report text: which bytes end a line or a
// page, which are blanks and which belong to a word, and the scans for the
// few bytes that matter (line terminators, blanks before a line end, the end
// of a word, the first place where two texts differ). Most bytes of a report
// are none of these, so the scans pass them sixteen at a time with SSE2 where
// the machine has it (always on x86-64), and eight at a time otherwise; the
// portable versions are compiled everywhere, so that the tests can hold the
// two against each other. Pure helpers on plain bytes, used by the page
// reader, the token reader, the comparison and the listing.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "core/reader_state.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZUDIZ_SCAN_SSE2 1
#endif

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
// Eight bytes at a time.
inline std::uint32_t findLineEndPortable(const unsigned char* buf,
                                         std::uint32_t from,
                                         std::uint32_t end) {
  std::uint32_t i = from;
  for (;;) {
    while (end - i >= 8) {
      std::uint64_t x;
      std::memcpy(&x, buf + i, 8);
      if (hasByteBelow14(x)) {
        break;
      }
      i += 8;
    }
    const std::uint32_t stop = end - i < 8 ? end : i + 8;
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

// The first offset in [from, end) where a and b differ or a holds a line
// terminator, or `end`. Eight bytes at a time.
inline std::uint32_t findLineEndOrDifferencePortable(const unsigned char* a,
                                                     const unsigned char* b,
                                                     std::uint32_t from,
                                                     std::uint32_t end) {
  std::uint32_t i = from;
  for (;;) {
    while (end - i >= 8) {
      std::uint64_t x;
      std::uint64_t y;
      std::memcpy(&x, a + i, 8);
      std::memcpy(&y, b + i, 8);
      if (x != y || hasByteBelow14(x)) {
        break;
      }
      i += 8;
    }
    const std::uint32_t stop = end - i < 8 ? end : i + 8;
    for (; i < stop; ++i) {
      if (a[i] != b[i] || isLineTerminator(a[i])) {
        return i;
      }
    }
    if (i == end) {
      return end;
    }
  }
}

// The first offset k in [from + 1, end) where buf[k] is a line terminator
// and buf[k - 1] a SPACE or TAB (a line text that ends in a blank), or
// `end`. One line at a time.
inline std::uint32_t findBlankBeforeLineEndPortable(const unsigned char* buf,
                                                    std::uint32_t from,
                                                    std::uint32_t end) {
  std::uint32_t k = from;
  while (k < end) {
    k = findLineEndPortable(buf, k + 1, end);
    if (k < end && (buf[k - 1] == ' ' || buf[k - 1] == '\t')) {
      return k;
    }
  }
  return end;
}

// The first offset in [from, end) whose byte is no word byte, or `end`.
inline std::uint32_t findWordEndPortable(const unsigned char* buf,
                                         std::uint32_t from,
                                         std::uint32_t end) {
  std::uint32_t i = from;
  while (i < end && isWordByte(buf[i])) {
    ++i;
  }
  return i;
}

#ifdef ZUDIZ_SCAN_SSE2
// The bits of the line terminators among the sixteen bytes of x.
inline unsigned lineEndBits(__m128i x) {
  const __m128i lf = _mm_cmpeq_epi8(x, _mm_set1_epi8(kLf));
  const __m128i cr = _mm_cmpeq_epi8(x, _mm_set1_epi8(kCr));
  const __m128i ff = _mm_cmpeq_epi8(x, _mm_set1_epi8(kFf));
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(lf, cr), ff)));
}

// The bits of the bytes 0 to 13 among the sixteen bytes of x: a quick
// test that lets most groups of sixteen pass without lineEndBits.
inline unsigned controlBits(__m128i x) {
  const __m128i low = _mm_min_epu8(x, _mm_set1_epi8(13));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(low, x)));
}

inline std::uint32_t lowestBit(unsigned bits) {
  return static_cast<std::uint32_t>(std::countr_zero(bits));
}
#endif

// findLineEndPortable, sixteen bytes at a time where SSE2 is there.
inline std::uint32_t findLineEnd(const unsigned char* buf, std::uint32_t from,
                                 std::uint32_t end) {
#ifdef ZUDIZ_SCAN_SSE2
  std::uint32_t i = from;
  while (end - i >= 16) {
    const __m128i x =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i));
    if (controlBits(x) != 0) {
      const unsigned bits = lineEndBits(x);
      if (bits != 0) {
        return i + lowestBit(bits);
      }
    }
    i += 16;
  }
  return findLineEndPortable(buf, i, end);
#else
  return findLineEndPortable(buf, from, end);
#endif
}

// findLineEndOrDifferencePortable, sixteen bytes at a time where SSE2 is
// there.
inline std::uint32_t findLineEndOrDifference(const unsigned char* a,
                                             const unsigned char* b,
                                             std::uint32_t from,
                                             std::uint32_t end) {
#ifdef ZUDIZ_SCAN_SSE2
  std::uint32_t i = from;
  while (end - i >= 16) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const unsigned differ =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(x, y))) ^
        0xFFFFu;
    if ((differ | controlBits(x)) != 0) {
      const unsigned bits = differ | lineEndBits(x);
      if (bits != 0) {
        return i + lowestBit(bits);
      }
    }
    i += 16;
  }
  return findLineEndOrDifferencePortable(a, b, i, end);
#else
  return findLineEndOrDifferencePortable(a, b, from, end);
#endif
}

// findBlankBeforeLineEndPortable, sixteen bytes at a time where SSE2 is
// there.
inline std::uint32_t findBlankBeforeLineEnd(const unsigned char* buf,
                                            std::uint32_t from,
                                            std::uint32_t end) {
#ifdef ZUDIZ_SCAN_SSE2
  if (from >= end) {
    return end;
  }
  std::uint32_t i = from + 1;
  const __m128i space = _mm_set1_epi8(' ');
  const __m128i tab = _mm_set1_epi8('\t');
  while (end - i >= 16) {
    // A byte from 0 to 13 after a blank: few lines end in a blank (and few
    // TABs follow one), so the branch is well predicted, and each such byte
    // is then looked at on its own. Most groups of sixteen hold no byte
    // from 0 to 13 at all and pass on that test alone.
    const __m128i x =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i));
    const __m128i control =
        _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(13)), x);
    if (_mm_movemask_epi8(control) == 0) {
      i += 16;
      continue;
    }
    const __m128i before =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i - 1));
    const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(before, space),
                                       _mm_cmpeq_epi8(before, tab));
    unsigned bits =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(control, blank)));
    while (bits != 0) {
      const std::uint32_t k = i + lowestBit(bits);
      if (isLineTerminator(buf[k])) {
        return k;
      }
      bits &= bits - 1;
    }
    i += 16;
  }
  return findBlankBeforeLineEndPortable(buf, i - 1, end);
#else
  return findBlankBeforeLineEndPortable(buf, from, end);
#endif
}

// findWordEndPortable, sixteen bytes at a time where SSE2 is there.
inline std::uint32_t findWordEnd(const unsigned char* buf, std::uint32_t from,
                                 std::uint32_t end) {
#ifdef ZUDIZ_SCAN_SSE2
  std::uint32_t i = from;
  while (end - i >= 16) {
    const __m128i x =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i));
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(32)), x);
    const __m128i comma = _mm_cmpeq_epi8(x, _mm_set1_epi8(','));
    const __m128i del = _mm_cmpeq_epi8(x, _mm_set1_epi8(127));
    const unsigned bits = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_or_si128(low, comma), del)));
    if (bits != 0) {
      return i + lowestBit(bits);
    }
    i += 16;
  }
  return findWordEndPortable(buf, i, end);
#else
  return findWordEndPortable(buf, from, end);
#endif
}
