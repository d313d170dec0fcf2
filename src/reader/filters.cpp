#include "reader/filters.h"

#include <algorithm>
#include <cstring>

#include "core/reader_state.h"
#include "reader/bytes.h"

namespace {

constexpr unsigned char kTab = 9;
constexpr unsigned char kSpace = 32;

bool isBlank(unsigned char c) {
  return c == kSpace || c == kTab;
}

// The write side of a filter's pass: kept bytes are copied down to `out`,
// which never passes the offset being read.
struct KeptBytes {
  unsigned char* buf;
  std::uint32_t out;

  void keep(std::uint32_t from, std::uint32_t count) {
    if (out != from) {
      std::memmove(buf + out, buf + from, count);
    }
    out += count;
  }
};

// First plot marker at offset `from` or later, below `end`, or `end` when
// there is none. Every byte is searched, zero bytes included, so what is
// removed does not depend on where a read happens to end.
std::uint32_t findPlotMarker(const unsigned char* buf, std::uint32_t from,
                             std::uint32_t end) {
  const void* marker = std::memchr(buf + from, kPlotMarker, end - from);
  if (marker == nullptr) {
    return end;
  }
  return static_cast<std::uint32_t>(static_cast<const unsigned char*>(marker) -
                                    buf);
}

// The most trailing blanks a line's code is read from: more than any
// whitespace code, enough to tell the code and whether a blank stands
// before it.
constexpr std::uint32_t kMaxTrailingBlanks = 65;

// The blanks at the end of the text before buf[lineEnd], counted back to
// `from` at most and no further than kMaxTrailingBlanks.
std::uint32_t trailingBlanks(const unsigned char* buf, std::uint32_t from,
                             std::uint32_t lineEnd) {
  const std::uint32_t stop =
      lineEnd - std::min(lineEnd - from, kMaxTrailingBlanks);
  std::uint32_t i = lineEnd;
  while (i > stop && isBlank(buf[i - 1])) {
    --i;
  }
  return lineEnd - i;
}

// The length of the whitespace code that the `blanks` blanks before
// buf[lineEnd] end with: 0, or 8 to 64, the length trailingCodeLength
// gives for the line.
std::uint32_t codeLength(const unsigned char* buf, std::uint32_t lineEnd,
                         std::uint32_t blanks) {
  if (blanks < 4) {
    return 0;
  }
  std::uint32_t v = 0;
  for (std::uint32_t i = lineEnd - 4; i < lineEnd; ++i) {
    v = v * 2 + (buf[i] == kTab ? 1 : 0);
  }
  const std::uint32_t code = 4 * (v + 1);
  return v == 0 || blanks < code ? 0 : code;
}

}  // namespace

PlotFilterResult removePlotSections(unsigned char* buf, std::uint32_t from,
                                    std::uint32_t start, std::uint32_t end,
                                    bool ended, std::uint32_t latestOpening,
                                    PlotSearch& plot) {
  std::uint32_t in = from;
  KeptBytes kept{buf, from};
  for (;;) {
    const std::uint32_t k = findPlotMarker(buf, in, end);
    if (plot.open) {
      if (k == end) {
        // Not closed in these bytes: the section runs on (or, at the end of
        // the file, runs out), and nothing after it is kept.
        kept.out = ended ? plot.opening : plot.opening + 1;
        plot.open = !ended;
        return {kept.out, kept.out};
      }
      kept.out = plot.opening;  // the section goes, both markers included
      plot.open = false;
      in = k + 1;
      continue;
    }
    if (k == end) {
      kept.keep(in, end - in);
      return {kept.out, kept.out};
    }
    kept.keep(in, k - in);
    in = k;
    if (ended || kept.out < latestOpening) {
      plot.open = true;
      plot.opening = kept.out;
      kept.keep(in, 1);
      in = k + 1;
      continue;
    }
    // Too late in the buffer to open here: the marker's line goes back.
    std::uint32_t j = kept.out;
    while (j > start && !isLineTerminator(buf[j - 1])) {
      --j;
    }
    kept.keep(in, end - in);
    return {kept.out, j};
  }
}

std::uint32_t removeCodesAndHiddenLines(unsigned char* buf, std::uint32_t start,
                                        std::uint32_t end) {
  std::uint32_t in = start;
  KeptBytes kept{buf, start};
  // Only lines whose text ends in a blank can change; they are found
  // sixteen bytes at a time.
  std::uint32_t from = start;
  for (;;) {
    const std::uint32_t lineEnd = findBlankBeforeLineEnd(buf, from, end);
    if (lineEnd == end) {
      break;
    }
    // The code and the byte before it are read from the blanks at the end of
    // the text alone: the line's start is looked for only when the line is
    // hidden.
    const std::uint32_t blanks = trailingBlanks(buf, in, lineEnd);
    const std::uint32_t code = codeLength(buf, lineEnd, blanks);
    if (blanks > code && buf[lineEnd - code - 1] == kTab) {
      // A hidden line: its text, its line end and the line terminators
      // right after it go.
      std::uint32_t lineStart = lineEnd - blanks;
      while (lineStart > in && !isLineTerminator(buf[lineStart - 1])) {
        --lineStart;
      }
      kept.keep(in, lineStart - in);
      in = lineEnd;
      while (in < end && isLineTerminator(buf[in])) {
        ++in;
      }
      from = in;
      continue;
    }
    if (code > 0) {
      kept.keep(in, lineEnd - code - in);
      in = lineEnd;
    }
    from = lineEnd;
  }
  kept.keep(in, end - in);
  return kept.out;
}

std::uint32_t lastLineStart(const unsigned char* buf, std::uint32_t start,
                            std::uint32_t end) {
  std::uint32_t e = end;
  while (e > start && isLineTerminator(buf[e - 1])) {
    --e;
  }
  while (e > start && !isLineTerminator(buf[e - 1])) {
    --e;
  }
  return e;
}

std::uint32_t trailingCodeLength(const unsigned char* buffer,
                                 std::uint32_t start, std::uint32_t length) {
  const unsigned char* text = buffer + start;
  std::uint32_t blanks = 0;
  while (blanks < length && isBlank(text[length - 1 - blanks])) {
    ++blanks;
  }
  if (blanks < 4) {
    return 0;
  }
  std::uint32_t v = 0;
  for (std::uint32_t i = length - 4; i < length; ++i) {
    v = v * 2 + (text[i] == kTab ? 1 : 0);
  }
  if (v == 0) {
    return 0;
  }
  const std::uint32_t code = 4 * (v + 1);
  return blanks < code ? 0 : code;
}
