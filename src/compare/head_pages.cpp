#include "compare/head_pages.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/run_state.h"
#include "reader/bytes.h"
#include "reader/page_buffer.h"
#include "reader/words.h"

namespace {

// A walk begins only on a page that ends within this many bytes.
constexpr std::uint32_t kLongestFirstPage = 64;

std::int32_t addLineEnds(std::int32_t lineCount, std::int64_t more) {
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{lineCount} + more, INT32_MAX));
}

// Whether buf[from .. end - 1] holds a word byte, the start of a word.
bool holdsWord(const unsigned char* buf, std::uint32_t from,
               std::uint32_t end) {
  for (std::uint32_t i = from; i < end; ++i) {
    if (kByteClass[buf[i]] == ByteClass::kWordByte) {
      return true;
    }
  }
  return false;
}

// A token that starts a page, as nextToken reads it after the page end
// before: a word, or (line mode only) a line end; `lineCount` counts the
// line ends read up to it, its own included. For a word, `terminator` is
// the first line terminator after it, which lies in the valid bytes.
struct PageToken {
  std::uint32_t start = 0;
  std::uint32_t terminator = 0;
  bool lineEnd = false;
  std::int32_t lineCount = 0;
};

// The length of the line end at text[at]: 2 for a CR LF, else 1; 0 when it
// is a CR whose next byte lies beyond `end`.
std::uint32_t lineEndLength(const unsigned char* text, std::uint32_t at,
                            std::uint32_t end) {
  if (text[at] != kCr) {
    return 1;
  }
  if (at + 1 >= end) {
    return 0;
  }
  return text[at + 1] == kLf ? 2 : 1;
}

// The page whose first token is `first` ends at the page end returned, when
// no word follows the `lines`th line end after that token and the page lies
// in the valid bytes of `r`; otherwise 0. `lineEnds` gets the line ends in
// between. The trimming counts only the line ends after the first token: it
// passes `lines` of them (more when one is followed by blank lines) and
// then the blank lines after them, so it stops on the page end exactly when
// no word comes after the `lines`th.
std::uint32_t headOnlyPageEnd(const PageReader& r, const PageToken& first,
                              std::int64_t lines, std::int64_t& lineEnds) {
  const unsigned char* text = r.bytes();
  lineEnds = 0;
  std::uint32_t i = first.start;
  std::uint32_t k = first.terminator;
  if (first.lineEnd) {
    i += lineEndLength(text, i, r.bufLen);
    k = findLineEnd(text, i, r.bufLen);
  }
  for (;;) {
    if (k >= r.bufLen || (lineEnds >= lines && holdsWord(text, i, k))) {
      return 0;
    }
    if (text[k] == kFf) {
      return k;
    }
    const std::uint32_t length = lineEndLength(text, k, r.bufLen);
    if (length == 0) {
      return 0;
    }
    ++lineEnds;
    i = k + length;
    k = findLineEnd(text, i, r.bufLen);
  }
}

// The token nextToken reads after the page end at `pageEnd`, from the valid
// bytes of `r`, with `lineCount` line ends read before the page end: the
// first word, or in line mode a line end first; in word mode the line ends
// before the word are passed. False when it is a page end (an empty page),
// or when the bytes that decide it, up to the next line terminator, run out.
bool tokenAfterPageEnd(const PageReader& r, std::uint32_t pageEnd,
                       std::int32_t lineCount, bool wordMode,
                       PageToken& token) {
  const unsigned char* text = r.bytes();
  std::int64_t lineEnds = 0;
  std::uint32_t at = pageEnd + 1;
  for (;;) {
    at = skipBlanks(text, at, r.bufLen);
    if (at >= r.bufLen) {
      return false;
    }
    const ByteClass kind = kByteClass[text[at]];
    if (kind == ByteClass::kPageEnd) {
      return false;
    }
    if (kind == ByteClass::kWordByte) {
      // The word ends at the terminator after it, if not before.
      const std::uint32_t terminator = findLineEnd(text, at, r.bufLen);
      if (terminator >= r.bufLen) {
        return false;
      }
      token = {at, terminator, false, addLineEnds(lineCount, lineEnds)};
      return true;
    }
    const std::uint32_t length = lineEndLength(text, at, r.bufLen);
    if (length == 0) {
      return false;
    }
    ++lineEnds;
    if (!wordMode) {
      token = {at, at, true, addLineEnds(lineCount, lineEnds)};
      return true;
    }
    at += length;
  }
}

// One file's walk over the pages the head trimming takes whole.
struct PageWalk {
  PageToken next;       // the first token of the page after those passed
  PageToken lastFirst;  // the first token of the last page passed
  PageToken lastEnd;    // its page end
};

// The walk from file `side`'s current token; false when that token is no
// page's first token in the valid bytes.
bool startWalk(const PageReader& r, PageWalk& walk) {
  const ReaderPosition& pos = r.position;
  if (pos.tokenLength == 0 ||
      std::uint64_t{pos.tokenStart} + pos.tokenLength > r.bufLen ||
      (pos.atLineEnd && r.bytes()[pos.tokenStart] == kFf)) {
    return false;
  }
  // Pages of a report's usual length are not looked at further.
  const std::uint32_t room =
      std::min(r.bufLen - pos.tokenStart, kLongestFirstPage);
  if (std::memchr(r.bytes() + pos.tokenStart, kFf, room) == nullptr) {
    return false;
  }
  const std::uint32_t terminator =
      pos.atLineEnd ? pos.tokenStart
                    : findLineEnd(r.bytes(), pos.tokenStart, r.bufLen);
  walk.next = {pos.tokenStart, terminator, pos.atLineEnd, pos.lineCount};
  return true;
}

// Moves the walk of file `side` past the page it stands on, when the head
// trimming takes that page whole, the page and the token after it lie in
// the valid bytes, and the trimming reads the page end with its fill put
// off (or with the file read to its end, when no fill happens either).
bool walkPage(const RunState& run, Side side, std::int64_t lines,
              PageWalk& walk) {
  const PageReader& r = run.readers[side];
  const PageToken first = walk.next;
  std::int64_t lineEnds = 0;
  const std::uint32_t pageEnd = headOnlyPageEnd(r, first, lines, lineEnds);
  // The checkpoints keep the page's start while the trimming reads its
  // end.
  if (pageEnd == 0 ||
      (!r.atEof && !putsOffPageEndFill(run, side, pageEnd, first.start))) {
    return false;
  }
  const PageToken end = {pageEnd, pageEnd, true,
                         addLineEnds(first.lineCount, lineEnds)};
  if (!tokenAfterPageEnd(r, pageEnd, end.lineCount, run.settings.wordMode,
                         walk.next)) {
    return false;
  }
  walk.lastFirst = first;
  walk.lastEnd = end;
  return true;
}

// The position of `token` as nextToken leaves it.
ReaderPosition positionOf(const PageReader& r, const PageToken& token) {
  const unsigned char* text = r.bytes();
  const std::uint32_t length =
      token.lineEnd ? lineEndLength(text, token.start, r.bufLen)
                    : wordLengthWithin(text, token.start, r.bufLen);
  return {token.start, length, token.lineCount, token.lineEnd};
}

}  // namespace

bool passHeadOnlyPages(RunState& run) {
  const Settings& settings = run.settings;
  if (settings.skipHead <= 0 || settings.skipFoot != 0 ||
      run.values.extraHeadLines < 0) {
    return false;
  }
  const std::int64_t lines = headLines(run);
  BySide<PageWalk> walks;
  if (!startWalk(run.readers[Side::kOne], walks[Side::kOne]) ||
      !startWalk(run.readers[Side::kTwo], walks[Side::kTwo])) {
    return false;
  }
  std::int64_t passed = 0;
  for (;;) {
    const PageWalk before = walks[Side::kOne];
    if (!walkPage(run, Side::kOne, lines, walks[Side::kOne])) {
      break;
    }
    if (!walkPage(run, Side::kTwo, lines, walks[Side::kTwo])) {
      walks[Side::kOne] = before;
      break;
    }
    ++passed;
  }
  if (passed == 0) {
    return false;
  }
  // Where comparing the last pair leaves the checkpoints: each file's in
  // all three moved to its page's start by preparePage, then kWordStart's
  // positions saved, both files at once, as file 2's trimming began (file 1
  // on its page end by then).
  Checkpoints& checkpoints = run.checkpoints;
  for (const Side side : kBothSides) {
    PageReader& r = run.readers[side];
    const PageWalk& walk = walks[side];
    r.position = positionOf(r, walk.next);
    r.pageNumber += passed;
    checkpoints[Checkpoint::kLineStart].files[side].tokenStart =
        walk.lastFirst.start;
    checkpoints[Checkpoint::kPairStart].files[side].tokenStart =
        walk.lastFirst.start;
  }
  checkpoints[Checkpoint::kWordStart].files[Side::kOne] = {
      walks[Side::kOne].lastEnd.start, 1, walks[Side::kOne].lastEnd.lineCount,
      true};
  checkpoints[Checkpoint::kWordStart].files[Side::kTwo] =
      positionOf(run.readers[Side::kTwo], walks[Side::kTwo].lastFirst);
  run.repeatedPage.recorded = false;
  return true;
}
