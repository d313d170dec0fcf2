// A shortcut of the page loop: page pairs that repeat the pair before them
// byte for byte, passed in one step.
//
// The plain step it replaces: comparePagePair (file_loop.h) on each pair.
// Why the same: comparing a pair of pages reads only their bytes, the
// settings and what the run holds at their start; when a pair of short
// pages printed nothing, recorded no numbers and left the pending
// difference and the head settings as they were (recordPagePair checks
// each), then a pair after it with the same bytes, met in the same state,
// adds the same counts and line ends and prints nothing too. So
// passRepeatedPages adds what the recorded pair added once per repeat,
// stops before the counts would reach their largest value (where they stop
// growing), and leaves the last repeat to comparePagePair, so that the
// checkpoints and the window stand as the plain steps leave them. Taken only
// while RunValues::shortcuts is on; the record is kept in
// RunState::repeatedPage (core/repeated_page.h).
#pragma once

#include <array>
#include <cstdint>

#include "core/settings.h"
#include "core/side.h"

struct RunState;

// What comparing a page pair must leave as it was for the pair to be
// recorded: the pending difference, the head settings, and, while pairs
// could still be printed, the counters other than the lines compared and
// the pairs listed.
struct PageState {
  int pendingSet;
  BySide<std::uint32_t> textLengths;
  BySide<std::uint32_t> lines;
  std::int32_t extraHeadLines;

  bool operator==(const PageState&) const = default;
};

// A page pair's start, for recording the pair once it is compared.
struct PagePairStart {
  bool candidate = false;  // both pages short enough to be recorded
  BySide<std::uint32_t> lengths{};
  PageState before{};
  Counters counters;
  std::int32_t pairsListed = 0;
  bool listingWasOver = false;
  BySide<std::int32_t> lineCounts{};
};

// Called before a page pair is compared, with both files on the first token
// of their pages: forgets the recorded pair and, when both pages are short
// enough, keeps their bytes.
PagePairStart startPagePair(RunState& run);

// Called after the pair is compared, with both files on their page ends:
// records the pair when comparing it printed nothing and left the run as
// the pairs after it need (see above). `flowed`: a page went on into its
// file's next page, which is never recorded.
void recordPagePair(RunState& run, const PagePairStart& start, bool flowed);

// Passes the page pairs from the current one on that repeat the recorded
// pair, while the pair after each one repeats it too, as comparing them
// would: every count goes up by what comparing the recorded pair added,
// and the files stand on the first token of the pages after the last pair
// passed. That pair, a repeat as well, is then compared as usual, so the
// checkpoints and the window stand as comparing all of them would leave them.
// True when a pair was passed.
bool passRepeatedPages(RunState& run);
