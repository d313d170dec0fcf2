#include "compare/file_loop.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "compare/line_align.h"
#include "core/run_state.h"
#include "listing/listing.h"
#include "listing/pending_diff.h"
#include "reader/bytes.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"

namespace {

// A line end that is not a page end. May refill (atPageEndMayRefill).
bool atLineBreakMayRefill(RunState& run, int fileNo) {
  return atLineEnd(run, fileNo) && !atPageEndMayRefill(run, fileNo);
}

// Passes the line ends of blank lines, stopping at a word or a page end.
void passBlankLines(RunState& run, int fileNo) {
  while (atLineBreakMayRefill(run, fileNo)) {
    nextToken(run, fileNo);
  }
}

std::int32_t clampToInt32(std::int64_t value) {
  if (value > INT32_MAX) {
    return INT32_MAX;
  }
  if (value < INT32_MIN) {
    return INT32_MIN;
  }
  return static_cast<std::int32_t>(value);
}

// Moves file `fileNo` to its next token; returns 1 when that token is a line
// end (lineCount has counted it), else 0. The page trimming counts the line
// ends it passes itself, so that it stays exact when lineCount is held at
// its largest value.
int nextCountingLineEnds(RunState& run, int fileNo) {
  nextToken(run, fileNo);
  return atLineBreakMayRefill(run, fileNo) ? 1 : 0;
}

// Passes a line: up to its line end and past it. Returns the line ends
// passed.
int passLine(RunState& run, int fileNo) {
  int passed = 0;
  if (!atLineEnd(run, fileNo)) {
    // The words need not be read one by one; only the token that ends the
    // line can be a line end.
    skipToLineEnd(run, fileNo);
    passed += atLineBreakMayRefill(run, fileNo) ? 1 : 0;
  }
  if (!atPageEndMayRefill(run, fileNo)) {
    passed += nextCountingLineEnds(run, fileNo);
  }
  return passed;
}

// Removes the first skipHead lines of the page of file `fileNo`: passes
// lines until skipHead line ends are behind. On the first call of the run it
// also measures the block of further non-blank lines and adds it to skipHead
// for every page of both files. Only a blank line ends a block: when the
// page ends first, the page has no block (the count is 0) and the file goes
// back to where the measurement began.
void trimHead(RunState& run, int fileNo) {
  Settings& settings = run.settings;
  saveWordMark(run);
  std::int64_t passed = 0;
  while (passed < settings.skipHead && !atPageEndMayRefill(run, fileNo)) {
    passed += passLine(run, fileNo);
  }
  std::int32_t& extra = run.values.extraHeadLines;
  if (extra >= 0) {
    return;
  }
  extra = 0;
  // The mark holds the bytes from here on (the line marks already hold the
  // whole page), so going back needs no more room than measuring.
  saveWordMark(run);
  while (!atLineEnd(run, fileNo)) {
    skipRestOfLine(run, fileNo);
    bump(extra);
  }
  if (atPageEndMayRefill(run, fileNo)) {
    restoreWordMark(run);
    extra = 0;
  }
  settings.skipHead = clampToInt32(std::int64_t{settings.skipHead} + extra);
}

// Blanks the lines whose line ends are among the last skipFoot line ends of
// the page of file `fileNo`: their text is removed, their line ends stay.
// Returns with the file back on the first token of the body; when the first
// body line was blanked, on its line end (or on the page end when the page
// held no line end). Line ends are counted from the start of the body.
void trimFoot(RunState& run, int fileNo) {
  const int index = fileIndex(fileNo);
  ReaderPosition& current = position(run, fileNo);
  const std::int64_t skipFoot = run.settings.skipFoot;

  saveWordMark(run);
  std::int64_t pageLineEnds = 0;
  while (!atPageEndMayRefill(run, fileNo)) {
    pageLineEnds += nextCountingLineEnds(run, fileNo);
  }
  const std::int64_t keepUpTo = pageLineEnds - skipFoot;
  restoreWordMark(run);
  saveLineMark(run);

  bool bodyStartRemoved = false;
  std::int64_t passed = 0;
  for (;;) {
    while (!current.atLineEnd) {
      passed += nextCountingLineEnds(run, fileNo);
    }
    if (passed > keepUpTo) {
      const std::uint32_t lineStart =
          run.marks.lineMark.files[index].tokenStart;
      const std::uint32_t count = current.tokenStart - lineStart;
      const std::uint32_t bodyStart =
          run.marks.wordMark.files[index].tokenStart;
      if (count > 0 && bodyStart >= lineStart &&
          bodyStart - lineStart < count) {
        bodyStartRemoved = true;
      }
      deleteBytes(run, fileNo, lineStart, count);
      if (passed >= keepUpTo + skipFoot) {
        break;
      }
    }
    passed += nextCountingLineEnds(run, fileNo);  // past the line end
    saveLineMark(run);
  }

  restoreWordMark(run);
  if (bodyStartRemoved) {
    // The restored token's bytes are gone: read the token that now stands
    // there, the line end of the first blanked line or the page end.
    current.tokenLength = 0;
    nextToken(run, fileNo);
  }
}

// Repeated pages (core/repeated_page.h).

// What comparing a page pair must leave as it was for the pair to be
// recorded: the pending difference, the head settings, and, while pairs
// could still be printed, the counters other than the lines compared and
// the pairs listed.
struct PageState {
  int pendingSet;
  std::array<std::uint32_t, 2> textLengths;
  std::array<std::uint32_t, 2> lines;
  std::int32_t extraHeadLines;
  std::int32_t skipHead;

  bool operator==(const PageState&) const = default;
};

PageState pageState(const RunState& run) {
  const PendingDiff& pending = run.pending;
  return {pending.pendingSet,
          {pending.diffText(0).length, pending.diffText(1).length},
          {pending.diffLine(0), pending.diffLine(1)},
          run.values.extraHeadLines,
          run.settings.skipHead};
}

// Whether listing a pair prints nothing now and never will again: the
// cap is 0, or its notice is printed already.
bool listingIsOver(const RunState& run) {
  return run.settings.maxPairs <= 0 ||
         run.values.pairsListed > run.settings.maxPairs;
}

// The seven counters as one list, for adding what a page added.
std::array<std::int32_t*, 7> counterFields(Counters& c) {
  return {&c.extraCount,
          &c.linesCompared,
          &c.linesDiffered,
          &c.words.wordDiffCount,
          &c.words.numericDiffCount,
          &c.words.lastDigitCount,
          &c.words.tinyDiffCount};
}

Counters countersAdded(Counters after, Counters before) {
  const auto a = counterFields(after);
  const auto b = counterFields(before);
  for (std::size_t k = 0; k < a.size(); ++k) {
    *a[k] -= *b[k];
  }
  after.words.numbersMet -= before.words.numbersMet;
  return after;
}

// The length of the page that starts at `at` (its first token) in the
// buffer of `r`, through its page end, when it can repeat a recorded page:
// it opens with a word or is empty (so reading its first token counts no
// line end), holds no SUB and ends within RepeatedPage::kMaxLength bytes,
// all in the valid bytes. Else 0.
std::uint32_t shortPageLength(const PageReader& r, std::uint32_t at) {
  if (at >= r.bufLen) {
    return 0;
  }
  const unsigned char* text = r.bytes() + at;
  const ByteClass first = kByteClass[text[0]];
  if (first != ByteClass::kWordByte && first != ByteClass::kPageEnd) {
    return 0;
  }
  const std::uint32_t room =
      std::min<std::uint32_t>(r.bufLen - at, RepeatedPage::kMaxLength);
  const void* end = std::memchr(text, kFf, room);
  if (end == nullptr) {
    return 0;
  }
  const auto length = static_cast<std::uint32_t>(
      static_cast<const unsigned char*>(end) - text + 1);
  return std::memchr(text, kSub, length) == nullptr ? length : 0;
}

// Whether the page of file index `i` that starts at `at` repeats the
// recorded one.
bool repeatsAt(const PageReader& r, std::uint32_t at, const RepeatedPage& page,
               int i) {
  const std::uint32_t length = page.lengths[static_cast<std::size_t>(i)];
  return at < r.bufLen && r.bufLen - at >= length &&
         std::memcmp(r.bytes() + at,
                     page.bytes[static_cast<std::size_t>(i)].data(),
                     length) == 0;
}

// The start of the page after the one at `at`: past its page end and the
// blanks nextToken passes before the next token.
std::uint32_t nextPageStart(const PageReader& r, std::uint32_t at,
                            std::uint32_t length) {
  std::uint32_t i = at + length;
  while (i < r.bufLen && kByteClass[r.bytes()[i]] == ByteClass::kBlank) {
    ++i;
  }
  return i;
}

// How many more times the counts may grow by what the recorded page added
// without reaching their largest value (where they stop growing).
std::int64_t repeatsBeforeTheLimit(RunState& run, const RepeatedPage& page) {
  std::int64_t most = INT64_MAX;
  const auto now = counterFields(run.counters);
  Counters added = page.added;
  const auto step = counterFields(added);
  for (std::size_t k = 0; k < now.size(); ++k) {
    if (*step[k] > 0) {
      most = std::min<std::int64_t>(most, (INT32_MAX - 1 - *now[k]) / *step[k]);
    }
  }
  const std::int32_t steps[3] = {page.lineEnds[0], page.lineEnds[1],
                                 page.pairsAdded};
  const std::int32_t counts[3] = {run.readers[0].position.lineCount,
                                  run.readers[1].position.lineCount,
                                  run.values.pairsListed};
  for (int k = 0; k < 3; ++k) {
    if (steps[k] > 0) {
      most =
          std::min<std::int64_t>(most, (INT32_MAX - 1 - counts[k]) / steps[k]);
    }
  }
  return most;
}

// Passes the page pairs from the current one on that repeat the recorded
// pair, while the pair after each one repeats it too, as comparing them
// would: every count goes up by what comparing the recorded pair added,
// and the files stand on the first token of the pages after the last pair
// passed. That pair, a repeat as well, is then compared as usual, so the
// marks and the window stand as comparing all of them would leave them.
// True when a pair was passed.
bool passRepeatedPages(RunState& run) {
  const RepeatedPage& page = run.repeatedPage;
  if (!page.recorded) {
    return false;
  }
  const PageReader& r1 = run.readers[0];
  const PageReader& r2 = run.readers[1];
  std::uint32_t at1 = r1.position.tokenStart;
  std::uint32_t at2 = r2.position.tokenStart;
  if (!repeatsAt(r1, at1, page, 0) || !repeatsAt(r2, at2, page, 1)) {
    return false;
  }
  const std::int64_t most = repeatsBeforeTheLimit(run, page);
  std::int64_t passed = 0;
  std::uint32_t end1 = 0;
  std::uint32_t end2 = 0;
  while (passed < most) {
    const std::uint32_t next1 = nextPageStart(r1, at1, page.lengths[0]);
    const std::uint32_t next2 = nextPageStart(r2, at2, page.lengths[1]);
    if (!repeatsAt(r1, next1, page, 0) || !repeatsAt(r2, next2, page, 1)) {
      break;
    }
    end1 = at1 + page.lengths[0] - 1;
    end2 = at2 + page.lengths[1] - 1;
    at1 = next1;
    at2 = next2;
    ++passed;
  }
  if (passed == 0) {
    return false;
  }
  const std::uint32_t ends[2] = {end1, end2};
  for (std::size_t i = 0; i < 2; ++i) {
    ReaderPosition& pos = run.readers[i].position;
    pos.tokenStart = ends[i];
    pos.tokenLength = 1;
    pos.atLineEnd = true;
    pos.lineCount += static_cast<std::int32_t>(passed * page.lineEnds[i]);
    run.readers[i].pageNumber += passed;
  }
  Counters added = page.added;
  const auto now = counterFields(run.counters);
  const auto step = counterFields(added);
  for (std::size_t k = 0; k < now.size(); ++k) {
    *now[k] += static_cast<std::int32_t>(passed * *step[k]);
  }
  run.values.pairsListed += static_cast<std::int32_t>(passed * page.pairsAdded);
  nextToken(run, 1);
  nextToken(run, 2);
  return true;
}

}  // namespace

void compareFiles(RunState& run) {
  skipLeadIn(run, 1);
  skipLeadIn(run, 2);
  do {
    if (!passRepeatedPages(run)) {
      comparePagePair(run);
    }
  } while (!atFileEnd(run, 1) && !atFileEnd(run, 2));
  if (atFileEnd(run, 1) && atFileEnd(run, 2)) {
    return;
  }

  // The surplus of the longer file is counted, not listed. The token it
  // stands on, the first of its next page, counts too. In line mode a line
  // counts once, at its line end, or at the page end it runs into when it
  // has text and no line end of its own.
  const int surplus = atFileEnd(run, 2) ? 1 : 2;
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
    moveMarksToCurrent(run, surplus);
    nextToken(run, surplus);
  }
  if (surplus == 2) {
    extra = -extra;
  }
}

void comparePagePair(RunState& run) {
  const Settings& settings = run.settings;
  // A pair of short pages may be recorded as the pair that the pairs after
  // it repeat.
  RepeatedPage& repeated = run.repeatedPage;
  repeated.recorded = false;
  const PageReader& r1 = run.readers[0];
  const PageReader& r2 = run.readers[1];
  const std::uint32_t lengths[2] = {
      shortPageLength(r1, r1.position.tokenStart),
      shortPageLength(r2, r2.position.tokenStart)};
  const bool candidate = lengths[0] > 0 && lengths[1] > 0;
  const PageState before = pageState(run);
  const Counters countersBefore = run.counters;
  const std::int32_t pairsBefore = run.values.pairsListed;
  const bool listingWasOver = listingIsOver(run);
  const std::int32_t lineCounts[2] = {r1.position.lineCount,
                                      r2.position.lineCount};
  if (candidate) {
    for (std::size_t i = 0; i < 2; ++i) {
      const PageReader& r = run.readers[i];
      std::memcpy(repeated.bytes[i].data(), r.bytes() + r.position.tokenStart,
                  lengths[i]);
    }
  }
  bool flowed = false;  // a page went on into the file's next page

  preparePage(run, 1);
  preparePage(run, 2);
  for (;;) {
    if (settings.wordMode) {
      while (!atLineEnd(run, 1) && !atLineEnd(run, 2)) {
        compareWordPair(run);
      }
    } else {
      while (!atPageEndMayRefill(run, 1) && !atPageEndMayRefill(run, 2)) {
        compareLinePair(run);
      }
    }
    passBlankLines(run, 1);
    passBlankLines(run, 2);
    if (atPageEndMayRefill(run, 1) && atPageEndMayRefill(run, 2)) {
      break;
    }
    const int longer = atPageEndMayRefill(run, 1) ? 2 : 1;
    const int other = 3 - longer;
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
      moveMarksToCurrent(run, longer);
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
  const Counters added = countersAdded(run.counters, countersBefore);
  Counters onlyLines;
  onlyLines.linesCompared = added.linesCompared;
  // Recorded when comparing it printed nothing (it changed no count but the
  // lines compared, or listing is over), recorded no numbers, left the rest
  // as it was and ended on each page's own page end, its bytes as they were.
  if (candidate && !flowed && pageState(run) == before &&
      added.words.numbersMet == 0 &&
      (listingWasOver ||
       (added == onlyLines && run.values.pairsListed == pairsBefore))) {
    bool onPageEnd = true;
    for (std::size_t i = 0; i < 2; ++i) {
      const PageReader& r = run.readers[i];
      const std::uint32_t end = r.position.tokenStart;
      onPageEnd = onPageEnd && end < r.bufLen && end + 1 >= lengths[i] &&
                  std::memcmp(r.bytes() + (end + 1 - lengths[i]),
                              repeated.bytes[i].data(), lengths[i]) == 0;
    }
    if (onPageEnd) {
      repeated.recorded = true;
      repeated.lengths = {lengths[0], lengths[1]};
      repeated.lineEnds = {r1.position.lineCount - lineCounts[0],
                           r2.position.lineCount - lineCounts[1]};
      repeated.added = added;
      repeated.pairsAdded = run.values.pairsListed - pairsBefore;
    }
  }
  nextToken(run, 1);
  nextToken(run, 2);
}

void preparePage(RunState& run, int fileNo) {
  Settings& settings = run.settings;
  const bool wordMode = settings.wordMode;
  settings.wordMode = false;
  ++reader(run, fileNo).pageNumber;
  // Nothing before the page is needed again: let compaction drop it.
  moveMarksToCurrent(run, fileNo);

  if (settings.skipHead > 0) {
    trimHead(run, fileNo);
  }
  passBlankLines(run, fileNo);
  if (settings.skipFoot > 0) {
    trimFoot(run, fileNo);
  }

  settings.wordMode = wordMode;
  if (wordMode && atLineBreakMayRefill(run, fileNo)) {
    // A blanked first line leaves the file on a line end, which word mode
    // never stands on: pass the blanked lines.
    nextToken(run, fileNo);
  }
}
