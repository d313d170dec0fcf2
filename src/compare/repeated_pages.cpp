#include "compare/repeated_pages.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "core/run_state.h"
#include "listing/pending_diff.h"
#include "reader/bytes.h"
#include "reader/token_reader.h"

namespace {

PageState pageState(const RunState& run) {
  const PendingDiff& pending = run.pending;
  return {pending.pendingSet,
          {{pending.diffText(Side::kOne).length,
            pending.diffText(Side::kTwo).length}},
          {{pending.diffLine(Side::kOne), pending.diffLine(Side::kTwo)}},
          run.values.extraHeadLines};
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

// Whether the page of file `side` that starts at `at` repeats the recorded
// one.
bool repeatsAt(const PageReader& r, std::uint32_t at, const RepeatedPage& page,
               Side side) {
  const std::uint32_t length = page.lengths[side];
  return at < r.bufLen && r.bufLen - at >= length &&
         std::memcmp(r.bytes() + at, page.bytes[side].data(), length) == 0;
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
  const std::int32_t steps[3] = {page.lineEnds[Side::kOne],
                                 page.lineEnds[Side::kTwo], page.pairsAdded};
  const std::int32_t counts[3] = {run.readers[Side::kOne].position.lineCount,
                                  run.readers[Side::kTwo].position.lineCount,
                                  run.values.pairsListed};
  for (int k = 0; k < 3; ++k) {
    if (steps[k] > 0) {
      most =
          std::min<std::int64_t>(most, (INT32_MAX - 1 - counts[k]) / steps[k]);
    }
  }
  return most;
}

}  // namespace

PagePairStart startPagePair(RunState& run) {
  RepeatedPage& repeated = run.repeatedPage;
  repeated.recorded = false;
  const PageReader& r1 = run.readers[Side::kOne];
  const PageReader& r2 = run.readers[Side::kTwo];
  PagePairStart start;
  start.lengths = {{shortPageLength(r1, r1.position.tokenStart),
                    shortPageLength(r2, r2.position.tokenStart)}};
  start.candidate = run.values.shortcuts && start.lengths[Side::kOne] > 0 &&
                    start.lengths[Side::kTwo] > 0;
  if (!start.candidate) {
    return start;
  }
  start.before = pageState(run);
  start.counters = run.counters;
  start.pairsListed = run.values.pairsListed;
  start.listingWasOver = listingIsOver(run);
  start.lineCounts = {{r1.position.lineCount, r2.position.lineCount}};
  for (const Side side : kBothSides) {
    const PageReader& r = run.readers[side];
    std::memcpy(repeated.bytes[side].data(), r.bytes() + r.position.tokenStart,
                start.lengths[side]);
  }
  return start;
}

void recordPagePair(RunState& run, const PagePairStart& start, bool flowed) {
  if (!start.candidate || flowed) {
    return;
  }
  const Counters added = countersAdded(run.counters, start.counters);
  Counters onlyLines;
  onlyLines.linesCompared = added.linesCompared;
  // Recorded when comparing it printed nothing (it changed no count but the
  // lines compared, or listing is over), recorded no numbers, left the rest
  // as it was and ended on each page's own page end, its bytes as they were.
  if (!(pageState(run) == start.before && added.words.numbersMet == 0 &&
        (start.listingWasOver ||
         (added == onlyLines &&
          run.values.pairsListed == start.pairsListed)))) {
    return;
  }
  RepeatedPage& repeated = run.repeatedPage;
  for (const Side side : kBothSides) {
    const PageReader& r = run.readers[side];
    const std::uint32_t end = r.position.tokenStart;
    const std::uint32_t length = start.lengths[side];
    if (end >= r.bufLen || end + 1 < length ||
        std::memcmp(r.bytes() + (end + 1 - length), repeated.bytes[side].data(),
                    length) != 0) {
      return;
    }
  }
  repeated.recorded = true;
  repeated.lengths = start.lengths;
  for (const Side side : kBothSides) {
    repeated.lineEnds[side] =
        run.readers[side].position.lineCount - start.lineCounts[side];
  }
  repeated.added = added;
  repeated.pairsAdded = run.values.pairsListed - start.pairsListed;
}

bool passRepeatedPages(RunState& run) {
  const RepeatedPage& page = run.repeatedPage;
  if (!page.recorded) {
    return false;
  }
  const PageReader& r1 = run.readers[Side::kOne];
  const PageReader& r2 = run.readers[Side::kTwo];
  std::uint32_t at1 = r1.position.tokenStart;
  std::uint32_t at2 = r2.position.tokenStart;
  if (!repeatsAt(r1, at1, page, Side::kOne) ||
      !repeatsAt(r2, at2, page, Side::kTwo)) {
    return false;
  }
  const std::int64_t most = repeatsBeforeTheLimit(run, page);
  std::int64_t passed = 0;
  std::uint32_t end1 = 0;
  std::uint32_t end2 = 0;
  while (passed < most) {
    const std::uint32_t next1 =
        nextPageStart(r1, at1, page.lengths[Side::kOne]);
    const std::uint32_t next2 =
        nextPageStart(r2, at2, page.lengths[Side::kTwo]);
    if (!repeatsAt(r1, next1, page, Side::kOne) ||
        !repeatsAt(r2, next2, page, Side::kTwo)) {
      break;
    }
    end1 = at1 + page.lengths[Side::kOne] - 1;
    end2 = at2 + page.lengths[Side::kTwo] - 1;
    at1 = next1;
    at2 = next2;
    ++passed;
  }
  if (passed == 0) {
    return false;
  }
  const BySide<std::uint32_t> ends{{end1, end2}};
  for (const Side side : kBothSides) {
    ReaderPosition& pos = run.readers[side].position;
    pos.tokenStart = ends[side];
    pos.tokenLength = 1;
    pos.atLineEnd = true;
    pos.lineCount += static_cast<std::int32_t>(passed * page.lineEnds[side]);
    run.readers[side].pageNumber += passed;
  }
  Counters added = page.added;
  const auto now = counterFields(run.counters);
  const auto step = counterFields(added);
  for (std::size_t k = 0; k < now.size(); ++k) {
    *now[k] += static_cast<std::int32_t>(passed * *step[k]);
  }
  run.values.pairsListed += static_cast<std::int32_t>(passed * page.pairsAdded);
  nextToken(run, Side::kOne);
  nextToken(run, Side::kTwo);
  return true;
}
