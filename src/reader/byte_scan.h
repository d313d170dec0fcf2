// Scans of a page buffer for the few bytes that matter: line terminators
// (LF, CR, FF) and the first place where two texts differ. Most bytes of a
// report are neither, so they are passed sixteen at a time with SSE2 where
// the machine has it (always on x86-64), and eight at a time otherwise.
//
// The portable versions are compiled everywhere, so that the tests can hold
// the two against each other. Used by the page reader and the token reader.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "core/reader_state.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define ZUDIZ_SCAN_SSE2 1
#endif

inline bool isLineTerminator(unsigned char c) {
  return c == kLf || c == kCr || c == kFf;
}

// Eight bytes at a time: true when one of the eight bytes of `x` is below
// 14 (LF, FF and CR are).
inline bool hasByteBelow14(std::uint64_t x) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  return ((x - kOnes * 14) & ~x & kHighBits) != 0;
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

// The bytes a word is made of: all but 0 to 32, the comma and DEL (127).
// (A comma between two digits joins a word too; the token reader sees to
// that.)
inline bool isWordByteScan(unsigned char c) {
  return c > 32 && c != ',' && c != 127;
}

// The first offset in [from, end) whose byte is no word byte, or `end`.
inline std::uint32_t findWordEndPortable(const unsigned char* buf,
                                         std::uint32_t from,
                                         std::uint32_t end) {
  std::uint32_t i = from;
  while (i < end && isWordByteScan(buf[i])) {
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
    // is then looked at on its own.
    const __m128i x =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i));
    const __m128i before =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(buf + i - 1));
    const __m128i control =
        _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(13)), x);
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
