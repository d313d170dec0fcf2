#include "compare/file_loop.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "compare/head_pages.h"
#include "compare/line_align.h"
#include "compare/repeated_pages.h"
#include "core/run_state.h"
#include "listing/listing.h"
#include "listing/pending_diff.h"
#include "reader/bytes.h"
#include "reader/checkpoints.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"

namespace {

// A line end that is not a page end. May refill (atPageEndMayRefill).
bool atLineBreakMayRefill(RunState& run, Side side) {
  return atLineEnd(run, side) && !atPageEndMayRefill(run, side);
}

// Passes the line ends of blank lines, stopping at a word or a page end.
void passBlankLines(RunState& run, Side side) {
  while (atLineBreakMayRefill(run, side)) {
    nextToken(run, side);
  }
}

// Moves file `side` to its next token; returns 1 when that token is a line
// end (lineCount has counted it), else 0. The page trimming counts the line
// ends it passes itself, so that it stays exact when lineCount is held at
// its largest value.
int nextCountingLineEnds(RunState& run, Side side) {
  nextToken(run, side);
  return atLineBreakMayRefill(run, side) ? 1 : 0;
}

// Passes a line: up to its line end and past it. Returns the line ends
// passed.
int passLine(RunState& run, Side side) {
  int passed = 0;
  if (!atLineEnd(run, side)) {
    // The words need not be read one by one; only the token that ends the
    // line can be a line end.
    skipToLineEnd(run, side);
    passed += atLineBreakMayRefill(run, side) ? 1 : 0;
  }
  if (!atPageEndMayRefill(run, side)) {
    passed += nextCountingLineEnds(run, side);
  }
  return passed;
}

// Removes the first skipHead lines of the page of file `side`: passes
// lines until skipHead line ends are behind. On the first call of the run it
// also measures the block of further non-blank lines, which every page of
// both files drops too (headLines). Only a blank line ends a block: when the
// page ends first, the page has no block (the count is 0) and the file goes
// back to where the measurement began.
void trimHead(RunState& run, Side side) {
  savePositions(run, Checkpoint::kWordStart);
  const std::int32_t lines = headLines(run);
  std::int64_t passed = 0;
  while (passed < lines && !atPageEndMayRefill(run, side)) {
    passed += passLine(run, side);
  }
  std::int32_t& extra = run.values.extraHeadLines;
  if (extra >= 0) {
    return;
  }
  extra = 0;
  // The word checkpoint holds the bytes from here on (the line checkpoints
  // already hold the whole page), so going back needs no more room than
  // measuring.
  savePositions(run, Checkpoint::kWordStart);
  while (!atLineEnd(run, side)) {
    skipRestOfLine(run, side);
    bump(extra);
  }
  if (atPageEndMayRefill(run, side)) {
    restorePositions(run, Checkpoint::kWordStart);
    extra = 0;
  }
}

// Blanks the lines whose line ends are among the last skipFoot line ends of
// the page of file `side`: their text is removed, their line ends stay.
// Returns with the file back on the first token of the body; when the first
// body line was blanked, on its line end (or on the page end when the page
// held no line end). Line ends are counted from the start of the body.
void trimFoot(RunState& run, Side side) {
  const Side index = side;
  ReaderPosition& current = position(run, side);
  const std::int64_t skipFoot = run.settings.skipFoot;

  savePositions(run, Checkpoint::kWordStart);
  std::int64_t pageLineEnds = 0;
  while (!atPageEndMayRefill(run, side)) {
    pageLineEnds += nextCountingLineEnds(run, side);
  }
  const std::int64_t keepUpTo = pageLineEnds - skipFoot;
  restorePositions(run, Checkpoint::kWordStart);
  saveCheckpoint(run, Checkpoint::kLineStart);

  bool bodyStartRemoved = false;
  std::int64_t passed = 0;
  for (;;) {
    while (!current.atLineEnd) {
      passed += nextCountingLineEnds(run, side);
    }
    if (passed > keepUpTo) {
      const std::uint32_t lineStart =
          checkpointPosition(run, Checkpoint::kLineStart, index).tokenStart;
      const std::uint32_t count = current.tokenStart - lineStart;
      const std::uint32_t bodyStart =
          checkpointPosition(run, Checkpoint::kWordStart, index).tokenStart;
      if (count > 0 && bodyStart >= lineStart &&
          bodyStart - lineStart < count) {
        bodyStartRemoved = true;
      }
      deleteBytes(run, side, lineStart, count);
      if (passed >= keepUpTo + skipFoot) {
        break;
      }
    }
    passed += nextCountingLineEnds(run, side);  // past the line end
    saveCheckpoint(run, Checkpoint::kLineStart);
  }

  restorePositions(run, Checkpoint::kWordStart);
  if (bodyStartRemoved) {
    // The restored token's bytes are gone: read the token that now stands
    // there, the line end of the first blanked line or the page end.
    current.tokenLength = 0;
    nextToken(run, side);
  }
}

}  // namespace

void compareFiles(RunState& run) {
  skipLeadIn(run, Side::kOne);
  skipLeadIn(run, Side::kTwo);
  do {
    if (!(run.values.shortcuts &&
          (passRepeatedPages(run) || passHeadOnlyPages(run)))) {
      comparePagePair(run);
    }
  } while (!atFileEnd(run, Side::kOne) && !atFileEnd(run, Side::kTwo));
  if (atFileEnd(run, Side::kOne) && atFileEnd(run, Side::kTwo)) {
    return;
  }

  // The surplus of the longer file is counted, not listed. The token it
  // stands on, the first of its next page, counts too. In line mode a line
  // counts once, at its line end, or at the page end it runs into when it
  // has text and no line end of its own.
  const Side surplus = atFileEnd(run, Side::kTwo) ? Side::kOne : Side::kTwo;
  const bool wordMode = run.settings.wordMode;
  std::int32_t& extra = run.counters.extraCount;
  extra = 0;
  bool lineHasText = false;
  for (;;) {
    const unsigned char c = charAt(run, surplus, 0);
    const bool isWord = !isLineTerminator(c);
    if (wordMode) {
      if (isWord) {
        bump(extra);
      }
    } else if (isWord) {
      lineHasText = true;
    } else if (c != kFf || lineHasText) {
      bump(extra);
      lineHasText = false;
    }
    if (atFileEnd(run, surplus)) {
      break;
    }
    moveCheckpointsToCurrent(run, surplus);
    nextToken(run, surplus);
  }
  if (surplus == Side::kTwo) {
    extra = -extra;
  }
}

void comparePagePair(RunState& run) {
  const Settings& settings = run.settings;
  // A pair of short pages may be recorded as the pair that the pairs after
  // it repeat.
  const PagePairStart start = startPagePair(run);
  bool flowed = false;  // a page went on into the file's next page

  preparePage(run, Side::kOne);
  preparePage(run, Side::kTwo);
  for (;;) {
    if (settings.wordMode) {
      while (!atLineEnd(run, Side::kOne) && !atLineEnd(run, Side::kTwo)) {
        compareWordPair(run);
      }
    } else {
      while (!atPageEndMayRefill(run, Side::kOne) &&
             !atPageEndMayRefill(run, Side::kTwo)) {
        compareLinePair(run);
      }
    }
    passBlankLines(run, Side::kOne);
    passBlankLines(run, Side::kTwo);
    if (atPageEndMayRefill(run, Side::kOne) &&
        atPageEndMayRefill(run, Side::kTwo)) {
      break;
    }
    const Side longer =
        atPageEndMayRefill(run, Side::kOne) ? Side::kTwo : Side::kOne;
    const Side other = otherSide(longer);
    if (settings.noPage && !atFileEnd(run, other)) {
      // The rest of the longer page goes on against the next page of the
      // other file.
      nextToken(run, other);
      preparePage(run, other);
      flowed = true;
      continue;
    }
    // The rest of the longer page is text of one file alone.
    while (!atPageEndMayRefill(run, longer)) {
      moveCheckpointsToCurrent(run, longer);
      if (settings.wordMode) {
        appendDiffWords(run, longer);
        bump(run.counters.words.wordDiffCount);
        nextToken(run, longer);
      } else {
        collectRestOfLine(run, longer);
        bump(run.counters.linesCompared);
        bump(run.counters.linesDiffered);
      }
      listDifference(run, longer);
    }
    break;
  }
  recordPagePair(run, start, flowed);
  nextToken(run, Side::kOne);
  nextToken(run, Side::kTwo);
}

void preparePage(RunState& run, Side side) {
  const Settings& settings = run.settings;
  // Head and foot are lines, in word mode too.
  run.values.trimmingPage = true;
  ++reader(run, side).pageNumber;
  // Nothing before the page is needed again: let compaction drop it.
  moveCheckpointsToCurrent(run, side);

  if (settings.skipHead > 0) {
    trimHead(run, side);
  }
  passBlankLines(run, side);
  if (settings.skipFoot > 0) {
    trimFoot(run, side);
  }

  run.values.trimmingPage = false;
  if (settings.wordMode && atLineBreakMayRefill(run, side)) {
    // A blanked first line leaves the file on a line end, which word mode
    // never stands on: pass the blanked lines.
    nextToken(run, side);
  }
}
