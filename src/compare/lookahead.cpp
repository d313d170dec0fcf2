#include "compare/lookahead.h"

#include <array>
#include <cstdint>

#include "compare/line_align.h"
#include "compare/word_compare.h"
#include "core/run_state.h"
#include "listing/listing.h"
#include "listing/pending_diff.h"
#include "reader/bytes.h"
#include "reader/checkpoints.h"
#include "reader/page_buffer.h"
#include "reader/peek.h"
#include "reader/token_reader.h"

namespace {

using Kind = PeekedToken::Kind;

// The lines of one file from its line of the pair on, as they lie in its
// page buffer: the first token of each (a word, or the line end of a blank
// line), and what stopped the walk.
struct LineWalk {
  std::array<PeekedToken, kMaxLookahead + 2> first;
  int count = 0;
  bool pageEnd = false;  // the line after the last one is a page end
  bool ranOut = false;   // the valid bytes ended first
};

// The first byte at or after `at` that is no blank, or bufLen.
std::uint32_t skipBlankBytes(const PageReader& r, std::uint32_t at) {
  while (at < r.bufLen && kByteClass[r.bytes()[at]] == ByteClass::kBlank) {
    ++at;
  }
  return at;
}

// Walks up to `want` lines from `from` (the first token of a line, not a
// page end), each with its line end in the valid bytes.
void walkLines(const PageReader& r, const ReaderPosition& from, int want,
               LineWalk& walk) {
  walk.count = 0;
  walk.pageEnd = false;
  walk.ranOut = false;
  PeekedToken token = peekToken(r, from);
  if (token.kind == Kind::kUnknown) {
    walk.ranOut = true;
    return;
  }
  for (;;) {
    PeekedToken end = token;
    if (token.kind == Kind::kWord) {
      const std::uint32_t at = findLineEnd(r.bytes(), token.start, r.bufLen);
      if (at >= r.bufLen) {
        walk.ranOut = true;
        return;
      }
      if (r.bytes()[at] == kFf) {
        // The line runs into its page end.
        walk.first[walk.count++] = token;
        walk.pageEnd = true;
        return;
      }
      end = peekNextToken(r, {Kind::kWord, at, 0});
      if (end.kind != Kind::kLineEnd) {
        walk.ranOut = true;
        return;
      }
    }
    walk.first[walk.count++] = token;
    if (walk.count == want) {
      return;
    }
    token = peekNextToken(r, end);
    if (token.kind == Kind::kUnknown) {
      const std::uint32_t at = skipBlankBytes(r, end.start + end.length);
      walk.pageEnd = at < r.bufLen && r.bytes()[at] == kFf;
      walk.ranOut = !walk.pageEnd;
      return;
    }
  }
}

// walkLines from the file's position before the pair; when the valid bytes
// end first, fills the window once (dropping what lies before the pair) and
// walks again.
void walkFile(RunState& run, Side side, int want, LineWalk& walk) {
  // A reference: the fill moves the checkpoint along with the bytes.
  const ReaderPosition& before =
      checkpointPosition(run, Checkpoint::kPairStart, side);
  walkLines(run.readers[side], before, want, walk);
  if (walk.ranOut && !run.readers[side].atEof) {
    fillBuffer(run, side);
    walkLines(run.readers[side], before, want, walk);
  }
}

// Whether comparing the lines that start with `a` (file 1) and `b` (file 2)
// finds no counted difference: word by word they read the same and end
// together. Both lines end in the valid bytes.
bool linesReadSame(RunState& run, PeekedToken a, PeekedToken b) {
  const PageReader& r1 = run.readers[Side::kOne];
  const PageReader& r2 = run.readers[Side::kTwo];
  for (;;) {
    if (a.kind != Kind::kWord || b.kind != Kind::kWord) {
      return a.kind == b.kind && a.kind == Kind::kLineEnd;
    }
    if (!wordsReadSame(run, {r1.bytes() + a.start, a.length},
                       {r2.bytes() + b.start, b.length})) {
      return false;
    }
    a = peekNextToken(r1, a);
    b = peekNextToken(r2, b);
  }
}

// A line of a walk, or the page end after its last line; kUnknown beyond.
struct WalkedLine {
  bool known = false;
  bool empty = false;  // a blank line or a page end
  PeekedToken first;
};

WalkedLine lineOf(const LineWalk& walk, int j) {
  if (j < walk.count) {
    const PeekedToken& first = walk.first[j];
    return {true, first.kind == Kind::kLineEnd, first};
  }
  if (j == walk.count && walk.pageEnd) {
    return {true, true, {}};
  }
  return {};
}

// Whether line `k` of `extra` and the line after it read the same as the
// first two lines of `other`. `one` and `two` are the lines of files 1 and
// 2 in that order (comparisons take file 1's word first).
bool blockEndsAt(RunState& run, const LineWalk& extra, const LineWalk& other,
                 bool extraIsOne, int k) {
  if (k >= extra.count || other.count == 0 ||
      extra.first[k].kind != Kind::kWord ||
      other.first[0].kind != Kind::kWord) {
    return false;
  }
  auto same = [&](PeekedToken e, PeekedToken o) {
    return extraIsOne ? linesReadSame(run, e, o) : linesReadSame(run, o, e);
  };
  if (!same(extra.first[k], other.first[0])) {
    return false;
  }
  const WalkedLine e = lineOf(extra, k + 1);
  const WalkedLine o = lineOf(other, 1);
  if (!e.known || !o.known || e.empty != o.empty) {
    return false;
  }
  return e.empty || same(e.first, o.first);
}

// Lists the current line of file `extra` as an extra line, as the one-line
// trial does: its words, or a blank listed with its line number.
void listCurrentLineAsExtra(RunState& run, Side extra) {
  clearDiff(run);
  collectRestOfLine(run, extra);
  listExtraLine(run, extra);
}

// Lists lines 0 to k - 1 of file `extra` from the position before the pair.
void listBlock(RunState& run, Side extra, const LineWalk& walk, int k) {
  restoreCheckpoint(run, Checkpoint::kPairStart);
  bool first = true;
  for (int j = 0; j < k; ++j) {
    if (walk.first[j].kind == Kind::kLineEnd &&
        walk.first[j + 1].kind == Kind::kLineEnd) {
      // Not the last of a run of blank lines: passed as a step passes it.
      nextToken(run, extra);
      continue;
    }
    if (!first) {
      bump(run.counters.linesCompared);
    }
    first = false;
    listCurrentLineAsExtra(run, extra);
  }
}

}  // namespace

bool takeExtraLines(RunState& run) {
  const int most = run.settings.lookahead;
  if (most <= 1) {
    return false;
  }
  LineWalk one;
  LineWalk two;
  walkFile(run, Side::kOne, most + 2, one);
  walkFile(run, Side::kTwo, most + 2, two);
  for (int k = 2; k <= most; ++k) {
    if (k >= one.count && k >= two.count) {
      return false;
    }
    if (blockEndsAt(run, one, two, true, k)) {
      listBlock(run, Side::kOne, one, k);
      return true;
    }
    if (blockEndsAt(run, two, one, false, k)) {
      listBlock(run, Side::kTwo, two, k);
      return true;
    }
  }
  return false;
}
