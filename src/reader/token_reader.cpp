#include "reader/token_reader.h"

#include "reader/bytes.h"
#include "reader/checkpoints.h"
#include "reader/page_buffer.h"
#include "reader/peek.h"
#include "reader/words.h"

namespace {

// The length of the word whose first byte `first` stands at the current
// position, byte by byte through charAt (which may refill and shift the
// position), by the word-end rule (words.h).
std::uint32_t plainWordLength(RunState& run, Side side, unsigned char first) {
  std::uint32_t length = 1;
  unsigned char prev = first;
  for (;;) {
    const unsigned char next =
        charAt(run, side, static_cast<std::int32_t>(length));
    switch (wordStep(prev, next)) {
      case WordStep::kGoesOn:
        ++length;
        prev = next;
        break;
      case WordStep::kEnds:
        return length;
      case WordStep::kEndsBeforeTheComma:
        return length - 1;
    }
  }
}

// plainWordLength, with the word bytes that lie in the valid bytes passed
// sixteen at a time (findWordEnd): a run of word bytes goes on by the rule
// whatever they are, so only the byte after the run needs the rule, and
// charAt is asked only for the bytes past the valid bytes.
std::uint32_t wordLength(RunState& run, Side side, unsigned char first) {
  const PageReader& r = reader(run, side);
  std::uint32_t length = 1;
  unsigned char prev = first;
  for (;;) {
    if (prev != kComma) {
      const unsigned char* buf = r.bytes();
      const std::uint32_t start = r.position.tokenStart;
      const std::uint32_t from = start + length;
      const std::uint32_t i = findWordEnd(buf, from, r.bufLen);
      if (i > from) {
        prev = buf[i - 1];
        length = i - start;
      }
    }
    const unsigned char next =
        charAt(run, side, static_cast<std::int32_t>(length));
    switch (wordStep(prev, next)) {
      case WordStep::kGoesOn:
        ++length;
        prev = next;
        break;
      case WordStep::kEnds:
        return length;
      case WordStep::kEndsBeforeTheComma:
        return length - 1;
    }
  }
}

}  // namespace

void nextToken(RunState& run, Side side) {
  const PageReader& r = reader(run, side);
  ReaderPosition& pos = position(run, side);
  const bool wordMode = readsWords(run);
  for (;;) {
    pos.tokenStart += pos.tokenLength;
    pos.tokenLength = 1;
    pos.atLineEnd = false;
    if (pos.tokenStart < r.bufLen) {
      pos.tokenStart = skipBlanks(r.bytes(), pos.tokenStart, r.bufLen);
    }
    const unsigned char c = charAt(run, side, 0);
    switch (kByteClass[c]) {
      case ByteClass::kLineEnd:
        if (c == kCr && charAt(run, side, 1) == kLf) {
          pos.tokenLength = 2;
        }
        bump(pos.lineCount);
        pos.atLineEnd = true;
        if (wordMode) {
          continue;
        }
        return;
      case ByteClass::kPageEnd:
        fillBufferAtPageEnd(run, side);
        if (atFileEnd(run, side)) {
          pos.tokenLength = 0;
        }
        pos.atLineEnd = true;
        return;
      case ByteClass::kBlank:
        continue;
      case ByteClass::kWordByte:
        pos.tokenLength = run.values.shortcuts ? wordLength(run, side, c)
                                               : plainWordLength(run, side, c);
        return;
    }
  }
}

void nextTokenBoth(RunState& run) {
  nextToken(run, Side::kOne);
  nextToken(run, Side::kTwo);
}

void skipLeadIn(RunState& run, Side side) {
  ReaderPosition& pos = position(run, side);
  // A leading plot section (only there when skipPlot is off). The word
  // checkpoint goes along so that in word mode compaction may drop what is
  // passed.
  while (charAt(run, side, 0) == kPlotMarker) {
    do {
      ++pos.tokenStart;
      savePositions(run, Checkpoint::kWordStart);
    } while (charAt(run, side, 0) != kPlotMarker && !atFileEnd(run, side));
    if (!atFileEnd(run, side)) {
      ++pos.tokenStart;
    }
  }
  // A leading form feed and the CR or CR LF line ends right after it.
  if (!atFileEnd(run, side) && charAt(run, side, 0) == kFf) {
    ++pos.tokenStart;
    while (!atFileEnd(run, side) && charAt(run, side, 0) == kCr) {
      ++pos.tokenStart;
      if (!atFileEnd(run, side) && charAt(run, side, 0) == kLf) {
        ++pos.tokenStart;
      }
    }
  }
  savePositions(run, Checkpoint::kWordStart);
}

void skipToLineEnd(RunState& run, Side side) {
  ReaderPosition& pos = position(run, side);
  if (run.values.shortcuts && standBeforeLineEndInBuffer(run, side)) {
    // The words up to the terminator lie in the buffer: nextToken takes the
    // terminator as walking them would.
    nextToken(run, side);
  }
  while (!pos.atLineEnd) {
    nextToken(run, side);
  }
}

void resetReader(RunState& run, Side side) {
  PageReader& r = reader(run, side);
  r.atEof = false;
  r.bufLen = 0;
  r.windowStart = 0;
  r.heldBackAt = 0;
  r.heldBackLen = 0;
  r.position = ReaderPosition{};
  run.checkpoints[Checkpoint::kLineStart].files[side].tokenStart = 0;
}

void startComparison(RunState& run) {
  clearCounters(run);
  run.repeatedPage.recorded = false;
  run.pending = PendingDiff{};
  saveCheckpoint(run, Checkpoint::kWordStart);
  saveCheckpoint(run, Checkpoint::kLineStart);
  saveCheckpoint(run, Checkpoint::kPairStart);
  fillBuffer(run, Side::kOne);
  fillBuffer(run, Side::kTwo);
}
