#include "compare/line_align.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "compare/equal_runs.h"
#include "compare/lookahead.h"
#include "compare/quick_trials.h"
#include "compare/word_compare.h"
#include "core/records.h"
#include "core/run_state.h"
#include "listing/listing.h"
#include "listing/pending_diff.h"
#include "reader/checkpoints.h"
#include "reader/page_buffer.h"
#include "reader/peek.h"
#include "reader/token_reader.h"

namespace {

// A line pair whose first tokens both begin with the same tag is passed over
// like page-head material.
bool isTaggedPair(RunState& run) {
  return bothMatchAt(run, 0, "D&T=") || bothMatchAt(run, 0, "P&V=");
}

// Leaves file `side`, when it stands on a blank line, on the line end of
// the last blank line of the run, passing the ones before it silently.
void skipToLastBlankLine(RunState& run, Side side) {
  if (!atLineEnd(run, side)) {
    return;
  }
  if (run.values.shortcuts && skipToLastLineEndInBuffer(run, side)) {
    savePositions(run, Checkpoint::kWordStart);
    return;
  }
  do {
    savePositions(run, Checkpoint::kWordStart);
    nextToken(run, side);
  } while (atLineEnd(run, side) && !atPageEndMayRefill(run, side));
  restorePositions(run, Checkpoint::kWordStart);
}

// compareLineWords as a trial: false at once, with nothing changed, when
// the lines surely differ. The caller takes back what a failed trial
// changed, so only the answer counts.
bool lineTrial(RunState& run) {
  return !(run.values.shortcuts && currentLinesSurelyDiffer(run)) &&
         compareLineWords(run);
}

// Tries the current line of file `extra` as a line that only that file has:
// true, with the line listed, when the next line of `extra` matches the
// current line of the other file. Starts from the state before the pair.
bool tryExtraLine(RunState& run, Side extra) {
  restoreCheckpoint(run, Checkpoint::kPairStart);
  clearDiff(run);
  collectRestOfLine(run, extra);
  swapDiff(run);
  clearDiff(run);
  saveCheckpoint(run, Checkpoint::kLineStart);
  if (!lineTrial(run)) {
    return false;
  }
  restoreCheckpoint(run, Checkpoint::kLineStart);
  swapDiff(run);
  listExtraLine(run, extra);
  return true;
}

// Within a line pair: tries the current word of file `extra` as a word that
// only that file has. Starts from the word checkpoint; true, with the word
// added to the pending text and both files on the matched pair, when the next
// word of `extra` matches the other file's word.
bool tryExtraLineWord(RunState& run, Side extra, std::size_t keep) {
  restoreCheckpoint(run, Checkpoint::kWordStart);
  truncateDiff(run, keep);
  nextToken(run, extra);
  if (!compareWords(run)) {
    return false;
  }
  restoreCheckpoint(run, Checkpoint::kWordStart);
  bump(run.counters.words.wordDiffCount);
  appendDiffWords(run, extra);
  nextToken(run, extra);
  return true;
}

// Word mode: tries the current word of file `extra` as an extra word and
// lists it at once when it is one. Starts from the word checkpoint.
bool tryExtraWord(RunState& run, Side extra) {
  restoreCheckpoint(run, Checkpoint::kWordStart);
  clearDiff(run);
  nextToken(run, extra);
  if (!compareWords(run)) {
    return false;
  }
  // The counts of the matching comparison (an excused number) stay.
  restorePositions(run, Checkpoint::kWordStart);
  bump(run.counters.words.wordDiffCount);
  appendDiffWords(run, extra);
  listDifference(run, extra);
  nextToken(run, extra);
  nextTokenBoth(run);
  return true;
}

}  // namespace

void compareLinePair(RunState& run) {
  // Nothing before this line is needed again: let compaction drop it, and
  // what was counted before it stays.
  settleRecords(run);
  moveCheckpointsToCurrent(run, Side::kOne);
  moveCheckpointsToCurrent(run, Side::kTwo);

  skipToLastBlankLine(run, Side::kOne);
  skipToLastBlankLine(run, Side::kTwo);
  if (atLineEnd(run, Side::kOne) && atLineEnd(run, Side::kTwo)) {
    // Runs of blank lines in both files match whatever their lengths.
    collectRestOfLine(run, Side::kOne);
    collectRestOfLine(run, Side::kTwo);
    return;
  }
  if (run.settings.skipHead > 0 && isTaggedPair(run)) {
    skipRestOfLine(run, Side::kOne);
    skipRestOfLine(run, Side::kTwo);
    return;
  }

  if (run.values.shortcuts && passEqualLines(run)) {
    return;
  }

  bump(run.counters.linesCompared);
  saveCheckpoint(run, Checkpoint::kLineStart);  // S0: before the pair
  if (compareLineWords(run)) {
    listDifference(run, std::nullopt);
    return;
  }

  // The pair differs. The pair checkpoint keeps S0, the pair's text is set
  // aside and the line checkpoint takes S1, after the pair.
  copyCheckpoint(run, Checkpoint::kLineStart, Checkpoint::kPairStart);
  swapDiff(run);
  saveCheckpoint(run, Checkpoint::kLineStart);
  if (run.values.shortcuts && noLineTrialMatches(run)) {
    if (takeExtraLines(run)) {
      return;
    }
    swapDiff(run);
    listDifference(run, std::nullopt);
    bump(run.counters.linesDiffered);
    return;
  }

  // A changed line when the next pair matches (or both next lines are blank
  // or both pages ended).
  if ((atLineEnd(run, Side::kOne) && atLineEnd(run, Side::kTwo)) ||
      lineTrial(run)) {
    restoreCheckpoint(run, Checkpoint::kLineStart);
    swapDiff(run);
    listDifference(run, std::nullopt);
    bump(run.counters.linesDiffered);
    return;
  }

  if (tryExtraLine(run, Side::kOne) || tryExtraLine(run, Side::kTwo) ||
      takeExtraLines(run)) {
    return;
  }

  // No alignment: the pair is a changed line after all.
  restoreCheckpoint(run, Checkpoint::kPairStart);
  clearDiff(run);
  compareLineWords(run);
  listDifference(run, std::nullopt);
  bump(run.counters.linesDiffered);
}

bool compareLineWords(RunState& run) {
  const WordCounts& counts = run.counters.words;
  const std::int32_t wordsBefore = counts.wordDiffCount;
  const std::int32_t numbersBefore = counts.numericDiffCount;

  JudgedPair next;
  while (!atLineEnd(run, Side::kOne) && !atLineEnd(run, Side::kTwo)) {
    // Words that read the same in both files compare equal and change
    // nothing: only the pairs from the first difference on, or the last
    // pair of the line, are compared.
    if (run.values.shortcuts) {
      skipEqualWords(run);
    }
    saveCheckpoint(run, Checkpoint::kWordStart);
    const std::size_t keep = run.pending.diffText(Side::kOne).length;
    const bool same = judgedHere(run, next)
                          ? compareJudgedWords(run, next.judged)
                          : compareWords(run);
    next.valid = false;
    if (same) {
      continue;
    }
    if (atLineEnd(run, Side::kOne) && atLineEnd(run, Side::kTwo)) {
      continue;
    }
    if (run.values.shortcuts && noWordTrialMatches(run, next)) {
      continue;
    }
    // A changed word when the next pair matches.
    if (compareWords(run)) {
      continue;
    }
    if (tryExtraLineWord(run, Side::kOne, keep) ||
        tryExtraLineWord(run, Side::kTwo, keep)) {
      continue;
    }
    restoreCheckpoint(run, Checkpoint::kWordStart);
    truncateDiff(run, keep);
    compareWords(run);
  }
  // Words left on the longer line are extra words.
  collectRestOfLine(run, Side::kOne);
  collectRestOfLine(run, Side::kTwo);
  return counts.wordDiffCount == wordsBefore &&
         counts.numericDiffCount == numbersBefore;
}

void compareWordPair(RunState& run) {
  settleRecords(run);
  saveCheckpoint(run, Checkpoint::kWordStart);
  if (compareWords(run)) {
    return;
  }
  if ((atPageEndMayRefill(run, Side::kOne) &&
       atPageEndMayRefill(run, Side::kTwo)) ||
      compareWords(run)) {
    listDifference(run, std::nullopt);
    return;
  }
  if (tryExtraWord(run, Side::kOne) || tryExtraWord(run, Side::kTwo)) {
    return;
  }
  restoreCheckpoint(run, Checkpoint::kWordStart);
  clearDiff(run);
  compareWords(run);
  listDifference(run, std::nullopt);
}

void collectRestOfLine(RunState& run, Side side) {
  while (!atLineEnd(run, side)) {
    appendDiffWords(run, side);
    bump(run.counters.words.wordDiffCount);
    nextToken(run, side);
  }
  if (!atPageEndMayRefill(run, side)) {
    nextToken(run, side);
  }
}

void listExtraLine(RunState& run, Side extra) {
  PendingDiff& pending = run.pending;
  if (pending.diffText(extra).empty()) {
    // A blank extra line still gets a listing entry with its line number.
    const Side other = otherSide(extra);
    pending.diffText(Side::kOne).assign(" ");
    pending.diffText(Side::kTwo).assign(" ");
    pending.diffLine(extra) =
        static_cast<std::uint32_t>(position(run, extra).lineCount);
    pending.diffLine(other) = static_cast<std::uint32_t>(
        std::int64_t{position(run, other).lineCount} + 1);
  }
  listDifference(run, extra);
  bump(run.counters.linesDiffered);
}

void skipRestOfLine(RunState& run, Side side) {
  skipToLineEnd(run, side);
  if (!atPageEndMayRefill(run, side)) {
    nextToken(run, side);
  }
}
