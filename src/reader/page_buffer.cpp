#include "reader/page_buffer.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "cmdline/usage.h"
#include "reader/bytes.h"

namespace {

constexpr unsigned char kTab = 9;
constexpr unsigned char kSpace = 32;

// A plot marker at this offset or later opens no section in this fill: the
// line holding it is kept back until compaction has made room for the
// section to pass through the buffer block by block.
constexpr std::uint32_t kLatestPlotOpening = kPageBufferSize / 10 * 9;

// A page end refills the buffer only when that frees at least this much of
// it (see fillBufferAtPageEnd).
constexpr std::uint32_t kMinPageEndFill = kPageBufferSize / 10;

bool isBlank(unsigned char c) {
  return c == kSpace || c == kTab;
}

// The tokenStart fields that compaction keeps and deletions move: the
// current position and wordMark's always, the two line marks' only while
// lines are compared (in word mode they are not used).
template <typename Visit>
void forEachProtected(RunState& run, int fileNo, Visit visit) {
  const int i = fileIndex(fileNo);
  visit(run.readers[i].position.tokenStart);
  visit(run.marks.wordMark.files[i].tokenStart);
  if (!run.settings.wordMode) {
    visit(run.marks.lineMark.files[i].tokenStart);
    visit(run.marks.altLineMark.files[i].tokenStart);
  }
}

std::uint32_t smallestProtected(RunState& run, int fileNo) {
  std::uint32_t m = UINT32_MAX;
  forEachProtected(run, fileNo, [&](std::uint32_t& p) { m = std::min(m, p); });
  return m;
}

// The held-back bytes stand at the end of their array, so that bytes are
// put in front of them and taken from their front without moving the rest.
unsigned char* heldBackStart(PageReader& r) {
  return r.heldBack.data() + (r.heldBack.size() - r.heldBackLen);
}

// Puts buffer[from .. bufLen - 1] back in front of the bytes already held
// back, so that the next read serves them again in file order, and ends the
// valid bytes at `from`. Only bytes added by the current fill are handed
// back, so no position points into them.
void handBack(PageReader& r, std::uint32_t from) {
  const std::uint32_t count = r.bufLen - from;
  if (count == 0) {
    return;
  }
  // A fill never hands back more than the file bytes it has taken since the
  // held-back bytes were last used up, so they always fit.
  assert(std::size_t{count} + r.heldBackLen <= r.heldBack.size());
  r.heldBackLen += count;
  std::memcpy(heldBackStart(r), r.pageBuffer.data() + from, count);
  r.bufLen = from;
}

// Reads up to `room` bytes to the end of the valid bytes: the held-back
// bytes first, then the file. Returns the count; fewer than `room` means the
// file has ended.
std::uint32_t readMore(RunState& run, int fileNo, std::uint32_t room) {
  PageReader& r = reader(run, fileNo);
  unsigned char* dest = r.pageBuffer.data() + r.bufLen;
  const std::uint32_t fromHeld = std::min(r.heldBackLen, room);
  std::memcpy(dest, heldBackStart(r), fromHeld);
  r.heldBackLen -= fromHeld;
  std::uint32_t got = fromHeld;
  const FileHandle file = run.files[fileIndex(fileNo)].fileHandle;
  if (got < room && file != kNoFile) {
    const std::size_t want = room - got;
    got += static_cast<std::uint32_t>(
        std::min(want, run.host.readBlock(file, dest + got, want)));
  }
  r.bufLen += got;
  return got;
}

// The state of the plot-section search over the reads of one fill.
struct PlotSearch {
  bool open = false;
  std::uint32_t opening = 0;  // offset of the opening marker while open
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

// Removes plot sections from the bytes read at offset `n` on. A section
// still open at the end of the bytes keeps only its opening marker, as the
// last valid byte, unless the file has ended.
//
// The search goes on, after a section is removed, where the section began,
// and a marker at offset 27000 or later (counted after the removals before
// it) opens no section unless the file has ended: its line is handed back.
// No position lies beyond `start`, so the removals are made in one pass that
// slides the kept bytes down (`in` reads, `out` writes), with the same
// result as removing each section on its own.
void removePlotSections(PageReader& r, std::uint32_t n, std::uint32_t start,
                        bool ended, PlotSearch& plot) {
  unsigned char* buf = r.pageBuffer.data();
  const std::uint32_t end = r.bufLen;
  std::uint32_t in = n;
  std::uint32_t out = n;
  auto keep = [&](std::uint32_t from, std::uint32_t count) {
    if (out != from) {
      std::memmove(buf + out, buf + from, count);
    }
    out += count;
  };
  for (;;) {
    const std::uint32_t k = findPlotMarker(buf, in, end);
    if (plot.open) {
      if (k == end) {
        // Not closed in these bytes: the section runs on (or, at the end of
        // the file, runs out), and nothing after it is kept.
        out = ended ? plot.opening : plot.opening + 1;
        plot.open = !ended;
        r.bufLen = out;
        return;
      }
      out = plot.opening;  // the section goes, both markers included
      plot.open = false;
      in = k + 1;
      continue;
    }
    if (k == end) {
      keep(in, end - in);
      r.bufLen = out;
      return;
    }
    keep(in, k - in);
    in = k;
    if (ended || out < kLatestPlotOpening) {
      plot.open = true;
      plot.opening = out;
      keep(in, 1);
      in = k + 1;
      continue;
    }
    // Too late in the buffer to open here: the marker's line goes back.
    std::uint32_t j = out;
    while (j > start && !isLineTerminator(buf[j - 1])) {
      --j;
    }
    keep(in, end - in);
    r.bufLen = out;
    handBack(r, j);
    return;
  }
}

// Hands back the last line, with the terminators after it, but nothing
// before `start`, so that the buffer ends right after a line terminator.
void handBackLastLine(PageReader& r, std::uint32_t start) {
  std::uint32_t e = r.bufLen;
  while (e > start && isLineTerminator(r.pageBuffer[e - 1])) {
    --e;
  }
  while (e > start && !isLineTerminator(r.pageBuffer[e - 1])) {
    --e;
  }
  handBack(r, e);
}

// Takes whitespace codes off the complete lines that begin at or after
// `start` and removes hidden lines with the terminators that follow them.
// No position lies beyond `start`, so the removals are done in one pass
// that slides the kept bytes down, with the same result as removing them
// one by one.
void removeCodesAndHiddenLines(PageReader& r, std::uint32_t start) {
  unsigned char* buf = r.pageBuffer.data();
  const std::uint32_t end = r.bufLen;
  std::uint32_t in = start;
  std::uint32_t out = start;
  auto keep = [&](std::uint32_t from, std::uint32_t count) {
    if (out != from) {
      std::memmove(buf + out, buf + from, count);
    }
    out += count;
  };
  while (in < end) {
    std::uint32_t lineStart = in;
    while (in < end && isLineTerminator(buf[in])) {
      ++in;
    }
    keep(lineStart, in - lineStart);
    lineStart = in;
    in = findLineEnd(buf, in, end);
    std::uint32_t textLength = in - lineStart;
    if (in < end && textLength > 0 && isBlank(buf[in - 1])) {
      textLength -= trailingCodeLength(buf, lineStart, textLength);
      if (textLength > 0 && buf[lineStart + textLength - 1] == kTab) {
        while (in < end && isLineTerminator(buf[in])) {
          ++in;
        }
        continue;
      }
    }
    keep(lineStart, textLength);
  }
  r.bufLen = out;
}

// The end of the file is reached: close it, drop the SUB bytes at the end
// and make the last byte a form feed.
void finishFile(RunState& run, int fileNo) {
  PageReader& r = reader(run, fileNo);
  r.atEof = true;
  const FileHandle file = run.files[fileIndex(fileNo)].fileHandle;
  if (file != kNoFile) {
    run.host.closeFile(file);
  }
  while (r.bufLen > 0 && r.pageBuffer[r.bufLen - 1] == kSub) {
    --r.bufLen;
  }
  // A position that had passed over the dropped bytes now stands at the
  // final form feed, so that no position lies beyond the valid bytes.
  forEachProtected(run, fileNo,
                   [&](std::uint32_t& p) { p = std::min(p, r.bufLen); });
  if (r.bufLen == 0 || r.pageBuffer[r.bufLen - 1] != kFf) {
    r.pageBuffer[r.bufLen] = kFf;
    ++r.bufLen;
  }
}

// charAt for any 64-bit offset.
unsigned char byteAt(RunState& run, int fileNo, std::int64_t offset) {
  PageReader& r = reader(run, fileNo);
  std::int64_t p = std::int64_t{r.position.tokenStart} + offset;
  if (p >= std::int64_t{r.bufLen} && !r.atEof) {
    fillBuffer(run, fileNo);
    p = std::int64_t{r.position.tokenStart} + offset;
    if (p >= std::int64_t{r.bufLen} && !r.atEof) {
      fatalError(run, "Page too large to fit in buffer");
    }
  }
  if (p < 0) {
    return 0;
  }
  if (p >= std::int64_t{r.bufLen}) {
    return kFf;
  }
  return r.pageBuffer[static_cast<std::size_t>(p)];
}

}  // namespace

void fillBuffer(RunState& run, int fileNo) {
  PageReader& r = reader(run, fileNo);
  if (r.atEof) {
    return;
  }
  deleteBytes(run, fileNo, 0, smallestProtected(run, fileNo));
  const std::uint32_t start = r.bufLen;
  const bool skipPlot = run.settings.skipPlot;
  PlotSearch plot;
  bool ended = false;
  do {
    const std::uint32_t n = r.bufLen;
    const std::uint32_t room = n < kMaxRead ? kMaxRead - n : 0;
    ended = readMore(run, fileNo, room) < room;
    if (skipPlot) {
      removePlotSections(r, n, start, ended, plot);
    }
  } while (plot.open && !ended);
  if (skipPlot) {
    if (!ended) {
      handBackLastLine(r, start);
    }
    removeCodesAndHiddenLines(r, start);
  }
  if (ended) {
    finishFile(run, fileNo);
  }
}

void fillBufferAtPageEnd(RunState& run, int fileNo) {
  const PageReader& r = reader(run, fileNo);
  const std::uint32_t next = r.position.tokenStart + 1;
  // A byte after the page end that is no SUB stays whatever the end of the
  // file drops, so this page end cannot be the file's last one.
  if (!run.settings.skipPlot && !r.atEof && next < r.bufLen &&
      r.pageBuffer[next] != kSub) {
    const std::uint32_t freed = smallestProtected(run, fileNo) +
                                (kMaxRead - std::min(r.bufLen, kMaxRead));
    if (freed < kMinPageEndFill) {
      return;
    }
  }
  fillBuffer(run, fileNo);
}

unsigned char charAtSlow(RunState& run, int fileNo, std::int32_t offset) {
  return byteAt(run, fileNo, offset);
}

void deleteBytes(RunState& run, int fileNo, std::uint32_t pos,
                 std::uint32_t count) {
  PageReader& r = reader(run, fileNo);
  if (pos >= r.bufLen || count == 0) {
    return;
  }
  count = std::min(count, r.bufLen - pos);
  const std::uint32_t end = pos + count;
  std::memmove(r.pageBuffer.data() + pos, r.pageBuffer.data() + end,
               r.bufLen - end);
  forEachProtected(run, fileNo, [&](std::uint32_t& p) {
    if (p >= end) {
      p -= count;
    } else if (p > pos) {
      p = pos;
    }
  });
  r.bufLen -= count;
}

bool matchAt(RunState& run, int fileNo, std::int32_t offset,
             std::string_view text) {
  for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    const std::int64_t at = std::int64_t{offset} + static_cast<std::int64_t>(i);
    if (byteAt(run, fileNo, at) != static_cast<unsigned char>(text[i])) {
      return false;
    }
  }
  return true;
}

bool bothMatchAt(RunState& run, std::int32_t offset, std::string_view text) {
  return matchAt(run, 1, offset, text) && matchAt(run, 2, offset, text);
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
