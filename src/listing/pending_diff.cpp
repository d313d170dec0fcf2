#include "listing/pending_diff.h"

#include <algorithm>

#include "core/run_state.h"
#include "reader/bytes.h"
#include "reader/line_text.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"

namespace {

// Whether pending texts can still be printed. Once the listing is full no
// pair is printed again, and only whether a text is empty matters (and its
// length, which trials cut back to): lengths are kept, characters are not.
bool textsPrintable(const RunState& run) {
  return run.settings.maxPairs > 0 &&
         run.values.pairsListed < run.settings.maxPairs;
}

// Notes where the current token of file `side`, about to be appended to
// its pending text, stands in its line.
void noteWordSpot(RunState& run, Side side, std::uint32_t length) {
  WordSpots& words = run.pending.wordSpots(side);
  const std::size_t column = run.pending.diffText(side).length;
  if (words.count >= kMaxWordSpots || column >= kDiffTextCapacity) {
    return;
  }
  const PageReader& r = reader(run, side);
  WordSpot& spot = words.spots[words.count++];
  spot.column = static_cast<std::uint16_t>(column);
  spot.length = static_cast<std::uint16_t>(
      std::min<std::size_t>(length, kDiffTextCapacity - column));
  spot.line = static_cast<std::uint32_t>(r.position.lineCount) + 1;
  spot.inLine = offsetInLine(r, r.position.tokenStart);
}

// appendDiffWords with the tokens of the files `take` says.
void appendWords(RunState& run, BySide<bool> take) {
  PendingDiff& pending = run.pending;
  const bool printable = textsPrintable(run);
  for (const Side side : kBothSides) {
    const Side i = side;
    unsigned char first = charAt(run, side, 0);
    const ReaderPosition& pos = position(run, side);
    if (take[side] && !isLineTerminator(first)) {
      const TokenBytes token = currentToken(run, side);
      if (printable) {
        if (run.records != nullptr) {
          noteWordSpot(run, side, token.length);
        }
        pending.diffText(i).append(token.data, token.length);
      } else {
        pending.diffText(i).extend(token.length);
      }
    }
    // A word or page end stands on the line after the line ends passed.
    bool onLineEnd = first == kLf || first == kCr;
    pending.diffLine(i) =
        static_cast<std::uint32_t>(pos.lineCount) + (onLineEnd ? 0u : 1u);
  }
  DiffText& text1 = pending.diffText(Side::kOne);
  DiffText& text2 = pending.diffText(Side::kTwo);
  std::uint32_t width = std::max(text1.length, text2.length);
  if (!printable) {
    text1.extend(width - text1.length + 1);
    text2.extend(width - text2.length + 1);
    return;
  }
  text1.appendRepeated(' ', width - text1.length);
  text2.appendRepeated(' ', width - text2.length);
  text1.appendRepeated(' ', 1);
  text2.appendRepeated(' ', 1);
}

}  // namespace

void appendDiffWords(RunState& run) {
  appendWords(run, {{true, true}});
}

void appendDiffWords(RunState& run, Side only) {
  BySide<bool> take{};
  take[only] = true;
  appendWords(run, take);
}

void clearDiff(RunState& run) {
  for (const Side side : kBothSides) {
    run.pending.diffText(side).clear();
    run.pending.diffLine(side) = 0;
    run.pending.wordSpots(side).count = 0;
  }
}

void swapDiff(RunState& run) {
  run.pending.pendingSet = 1 - run.pending.pendingSet;
}

void truncateDiff(RunState& run, std::size_t n) {
  for (const Side side : kBothSides) {
    run.pending.diffText(side).truncate(n);
    WordSpots& words = run.pending.wordSpots(side);
    while (words.count > 0 && words.spots[words.count - 1].column >= n) {
      --words.count;
    }
    if (words.count > 0) {
      WordSpot& last = words.spots[words.count - 1];
      last.length = static_cast<std::uint16_t>(
          std::min<std::size_t>(last.length, n - last.column));
    }
  }
}
