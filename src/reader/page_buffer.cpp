#include "reader/page_buffer.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "cmdline/usage.h"
#include "reader/bytes.h"
#include "reader/filters.h"

namespace {

// A plot marker at this offset or later opens no section in this fill: the
// line holding it is kept back until compaction has made room for the
// section to pass through the buffer block by block.
constexpr std::uint32_t kLatestPlotOpening = kPageBufferSize / 10 * 9;

// The tokenStart fields that compaction keeps and deletions move: the
// current position and the word checkpoint's always, the two line
// checkpoints' only while lines are compared (in word mode they are not used).
template <typename Visit>
void forEachProtected(RunState& run, Side side, Visit visit) {
  const Side i = side;
  visit(run.readers[i].position.tokenStart);
  visit(run.checkpoints[Checkpoint::kWordStart].files[i].tokenStart);
  if (!readsWords(run)) {
    visit(run.checkpoints[Checkpoint::kLineStart].files[i].tokenStart);
    visit(run.checkpoints[Checkpoint::kPairStart].files[i].tokenStart);
  }
}

std::uint32_t smallestProtected(RunState& run, Side side) {
  std::uint32_t m = UINT32_MAX;
  forEachProtected(run, side, [&](std::uint32_t& p) { m = std::min(m, p); });
  return m;
}

// Moves the held-back bytes down so that they directly follow the valid
// bytes (the filters may have removed bytes in between).
void joinHeldBack(PageReader& r) {
  if (r.heldBackLen > 0 && r.heldBackAt != r.bufLen) {
    std::memmove(r.bytes() + r.bufLen, r.bytes() + r.heldBackAt, r.heldBackLen);
  }
  r.heldBackAt = r.bufLen;
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
  joinHeldBack(r);
  r.heldBackAt = from;
  r.heldBackLen += count;
  r.bufLen = from;
}

// Reads up to `room` bytes to the end of the valid bytes: the held-back
// bytes first, then the file. Returns the count; fewer than `room` means the
// file has ended.
std::uint32_t readMore(RunState& run, Side side, std::uint32_t room) {
  PageReader& r = reader(run, side);
  joinHeldBack(r);
  const std::uint32_t fromHeld = std::min(r.heldBackLen, room);
  r.heldBackLen -= fromHeld;
  r.heldBackAt += fromHeld;
  std::uint32_t got = fromHeld;
  const FileHandle file = run.files[side].fileHandle;
  if (got < room && file != kNoFile) {
    const std::size_t want = room - got;
    unsigned char* dest = r.bytes() + r.bufLen + got;
    got += static_cast<std::uint32_t>(
        std::min(want, run.host.readBlock(file, dest, want)));
  }
  r.bufLen += got;
  if (r.heldBackLen == 0) {
    r.heldBackAt = r.bufLen;
  }
  return got;
}

// The end of the file is reached: close it, drop the SUB bytes at the end
// and make the last byte a form feed.
void finishFile(RunState& run, Side side) {
  PageReader& r = reader(run, side);
  r.atEof = true;
  const FileHandle file = run.files[side].fileHandle;
  if (file != kNoFile) {
    run.host.closeFile(file);
  }
  unsigned char* buf = r.bytes();
  while (r.bufLen > 0 && buf[r.bufLen - 1] == kSub) {
    --r.bufLen;
  }
  // A position that had passed over the dropped bytes now stands at the
  // final form feed, so that no position lies beyond the valid bytes.
  forEachProtected(run, side,
                   [&](std::uint32_t& p) { p = std::min(p, r.bufLen); });
  if (r.bufLen == 0 || buf[r.bufLen - 1] != kFf) {
    buf[r.bufLen] = kFf;
    ++r.bufLen;
  }
  r.heldBackAt = r.bufLen;
}

// charAt for any 64-bit offset.
unsigned char byteAt(RunState& run, Side side, std::int64_t offset) {
  PageReader& r = reader(run, side);
  std::int64_t p = std::int64_t{r.position.tokenStart} + offset;
  if (p >= std::int64_t{r.bufLen} && !r.atEof) {
    fillBuffer(run, side);
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
  return r.bytes()[static_cast<std::size_t>(p)];
}

}  // namespace

void fillBuffer(RunState& run, Side side) {
  PageReader& r = reader(run, side);
  if (r.atEof) {
    return;
  }
  deleteBytes(run, side, 0, smallestProtected(run, side));
  const std::uint32_t start = r.bufLen;
  const bool skipPlot = run.settings.skipPlot;
  PlotSearch plot;
  bool ended = false;
  do {
    const std::uint32_t n = r.bufLen;
    const std::uint32_t room = n < kMaxRead ? kMaxRead - n : 0;
    ended = readMore(run, side, room) < room;
    if (skipPlot) {
      const PlotFilterResult kept = removePlotSections(
          r.bytes(), n, start, r.bufLen, ended, kLatestPlotOpening, plot);
      r.bufLen = kept.end;
      handBack(r, kept.handBack);
    }
  } while (plot.open && !ended);
  if (skipPlot) {
    if (!ended) {
      handBack(r, lastLineStart(r.bytes(), start, r.bufLen));
    }
    r.bufLen = removeCodesAndHiddenLines(r.bytes(), start, r.bufLen);
  }
  if (ended) {
    finishFile(run, side);
  }
}

void fillBufferAtPageEnd(RunState& run, Side side) {
  if (!putsOffPageEndFill(run, side, reader(run, side).position.tokenStart,
                          smallestProtected(run, side))) {
    fillBuffer(run, side);
  }
}

unsigned char charAtSlow(RunState& run, Side side, std::int32_t offset) {
  return byteAt(run, side, offset);
}

void deleteBytes(RunState& run, Side side, std::uint32_t pos,
                 std::uint32_t count) {
  PageReader& r = reader(run, side);
  if (pos >= r.bufLen || count == 0) {
    return;
  }
  count = std::min(count, r.bufLen - pos);
  const std::uint32_t end = pos + count;
  const std::uint32_t tail = r.bufLen - end;
  if (pos <= tail) {
    // The bytes before the removed ones move up and the window starts
    // `count` bytes later; those after them, and the held-back bytes, stay
    // where they are in storage.
    std::memmove(r.bytes() + count, r.bytes(), pos);
    r.windowStart += count;
    r.heldBackAt -= count;
  } else {
    std::memmove(r.bytes() + pos, r.bytes() + end, tail);
  }
  r.bufLen -= count;
  forEachProtected(run, side, [&](std::uint32_t& p) {
    if (p >= end) {
      p -= count;
    } else if (p > pos) {
      p = pos;
    }
  });
  if (r.windowStart > kWindowStorageSize - kPageBufferSize) {
    // The window's end could pass the end of its storage: move what is
    // kept, held-back bytes included, back to the start.
    const std::uint32_t kept =
        r.heldBackLen > 0 ? r.heldBackAt + r.heldBackLen : r.bufLen;
    std::memmove(r.storage.data(), r.bytes(), kept);
    r.windowStart = 0;
  }
}

bool matchAt(RunState& run, Side side, std::int32_t offset,
             std::string_view text) {
  for (std::size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    const std::int64_t at = std::int64_t{offset} + static_cast<std::int64_t>(i);
    if (byteAt(run, side, at) != static_cast<unsigned char>(text[i])) {
      return false;
    }
  }
  return true;
}

bool bothMatchAt(RunState& run, std::int32_t offset, std::string_view text) {
  return matchAt(run, Side::kOne, offset, text) &&
         matchAt(run, Side::kTwo, offset, text);
}
