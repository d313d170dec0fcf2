#include "reader/line_text.h"

#include "core/records.h"

namespace {

bool isLineEnd(unsigned char c) {
  return c == kLf || c == kCr;
}

bool isTerminator(unsigned char c) {
  return isLineEnd(c) || c == kFf;
}

// The start of the line that holds offset `at` (or ends with the line end
// at `at`): the offset after the terminator before it, or 0.
std::uint32_t lineStartAt(const unsigned char* bytes, std::uint32_t at) {
  while (at > 0 && !isTerminator(bytes[at - 1])) {
    --at;
  }
  return at;
}

// The offset of the first terminator from `at` on, or `end`.
std::uint32_t lineEndFrom(const unsigned char* bytes, std::uint32_t at,
                          std::uint32_t end) {
  while (at < end && !isTerminator(bytes[at])) {
    ++at;
  }
  return at;
}

// The start of the line end that ends right before `start` (a line start
// after a line end): the CR of a CR LF pair, else the byte itself.
std::uint32_t lineEndBefore(const unsigned char* bytes, std::uint32_t start) {
  std::uint32_t at = start - 1;
  if (bytes[at] == kLf && at > 0 && bytes[at - 1] == kCr) {
    --at;
  }
  return at;
}

// The span of the line that starts at `start`.
LineSpan spanFrom(const PageReader& r, std::uint32_t start) {
  const std::uint32_t end = lineEndFrom(r.bytes(), start, r.bufLen);
  return {start, end - start};
}

}  // namespace

bool findLine(const PageReader& r, std::int64_t line, LineSpan* span) {
  const unsigned char* bytes = r.bytes();
  const ReaderPosition& pos = r.position;
  if (line <= 0 || pos.tokenStart >= r.bufLen) {
    return false;
  }
  // The line the current token stands on: a line end belongs to the line it
  // ends, which lineCount has counted already.
  const unsigned char here = bytes[pos.tokenStart];
  std::int64_t current =
      std::int64_t{pos.lineCount} + (isLineEnd(here) ? 0 : 1);
  std::uint32_t start = lineStartAt(bytes, pos.tokenStart);
  while (current > line) {
    if (start == 0 || bytes[start - 1] == kFf) {
      return false;
    }
    start = lineStartAt(bytes, lineEndBefore(bytes, start));
    --current;
  }
  while (current < line) {
    const std::uint32_t end = lineEndFrom(bytes, start, r.bufLen);
    if (end >= r.bufLen || bytes[end] == kFf) {
      return false;
    }
    start = end + 1;
    if (bytes[end] == kCr && start < r.bufLen && bytes[start] == kLf) {
      ++start;
    }
    if (start >= r.bufLen) {
      return false;
    }
    ++current;
  }
  *span = spanFrom(r, start);
  return true;
}

std::uint32_t offsetInLine(const PageReader& r, std::uint32_t at) {
  return at - lineStartAt(r.bytes(), at);
}

int linesBefore(const PageReader& r, const LineSpan& line, int count,
                LineSpan* before) {
  const unsigned char* bytes = r.bytes();
  std::uint32_t starts[kMaxContextLines];
  int found = 0;
  std::uint32_t start = line.start;
  while (found < count && found < kMaxContextLines && start > 0 &&
         bytes[start - 1] != kFf) {
    start = lineStartAt(bytes, lineEndBefore(bytes, start));
    if (start == 0) {
      break;  // its start may have been dropped from the window
    }
    starts[found++] = start;
  }
  for (int k = 0; k < found; ++k) {
    before[k] = spanFrom(r, starts[found - 1 - k]);
  }
  return found;
}
