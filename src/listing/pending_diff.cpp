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

// Notes where the current token of file `fileNo`, about to be appended to
// its pending text, stands in its line.
void noteWordSpot(RunState& run, int fileNo, std::uint32_t length) {
  const int i = fileIndex(fileNo);
  WordSpots& words = run.pending.wordSpots(i);
  const std::size_t column = run.pending.diffText(i).length;
  if (words.count >= kMaxWordSpots || column >= kDiffTextCapacity) {
    return;
  }
  const PageReader& r = reader(run, fileNo);
  WordSpot& spot = words.spots[words.count++];
  spot.column = static_cast<std::uint16_t>(column);
  spot.length = static_cast<std::uint16_t>(
      std::min<std::size_t>(length, kDiffTextCapacity - column));
  spot.line = static_cast<std::uint32_t>(r.position.lineCount) + 1;
  spot.inLine = offsetInLine(r, r.position.tokenStart);
}

}  // namespace

void appendDiffWords(RunState& run, int which) {
  PendingDiff& pending = run.pending;
  const bool printable = textsPrintable(run);
  for (int fileNo = 1; fileNo <= 2; ++fileNo) {
    int i = fileIndex(fileNo);
    unsigned char first = charAt(run, fileNo, 0);
    const ReaderPosition& pos = position(run, fileNo);
    if ((which == 0 || which == fileNo) && !isLineTerminator(first)) {
      const TokenBytes token = currentToken(run, fileNo);
      if (printable) {
        if (run.records != nullptr) {
          noteWordSpot(run, fileNo, token.length);
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
  DiffText& text1 = pending.diffText(0);
  DiffText& text2 = pending.diffText(1);
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

void clearDiff(RunState& run) {
  for (int i = 0; i < 2; ++i) {
    run.pending.diffText(i).clear();
    run.pending.diffLine(i) = 0;
    run.pending.wordSpots(i).count = 0;
  }
}

void swapDiff(RunState& run) {
  run.pending.pendingSet = 1 - run.pending.pendingSet;
}

void truncateDiff(RunState& run, std::size_t n) {
  for (int i = 0; i < 2; ++i) {
    run.pending.diffText(i).truncate(n);
    WordSpots& words = run.pending.wordSpots(i);
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
