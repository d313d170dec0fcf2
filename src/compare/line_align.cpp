#include "compare/line_align.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "compare/word_compare.h"
#include "core/records.h"
#include "core/run_state.h"
#include "listing/listing.h"
#include "listing/pending_diff.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"

namespace {

// A line pair whose first tokens both begin with the same tag is passed over
// like page-head material.
bool isTaggedPair(RunState& run) {
  return bothMatchAt(run, 0, "D&T=") || bothMatchAt(run, 0, "P&V=");
}

// Leaves file `fileNo`, when it stands on a blank line, on the line end of
// the last blank line of the run, passing the ones before it silently.
void skipToLastBlankLine(RunState& run, int fileNo) {
  if (!atLineEnd(run, fileNo)) {
    return;
  }
  if (run.values.shortcuts && skipToLastLineEndInBuffer(run, fileNo)) {
    saveWordMark(run);
    return;
  }
  do {
    saveWordMark(run);
    nextToken(run, fileNo);
  } while (atLineEnd(run, fileNo) && !atPageEndMayRefill(run, fileNo));
  restoreWordMark(run);
}

// Goes back to the state before the line pair, which altLineMark holds,
// leaving lineMark as it was.
void backToPairStart(RunState& run) {
  swapLineMarks(run);
  restoreLineMark(run);
  swapLineMarks(run);
}

// A line from a position on, when it lies in the valid bytes with the token
// after its line end (peekLineEnd): its first token and its line end, both
// kUnknown when it does not.
struct LineInBuffer {
  PeekedToken first;
  PeekedToken end;
};

LineInBuffer peekLine(const PageReader& r, const ReaderPosition& from) {
  const PeekedToken first = peekToken(r, from);
  if (first.kind == PeekedToken::Kind::kUnknown) {
    return {};
  }
  const PeekedToken end = peekLineEnd(r, first);
  if (end.kind == PeekedToken::Kind::kUnknown) {
    return {};
  }
  return {first, end};
}

// Whether comparing the lines `line1` of file 1 and `line2` of file 2 with
// compareLineWords is sure to find them different, told from the buffers
// alone: both lines, and the token after each line end, lie in the valid
// bytes (so the comparison would not refill either), and word by word the
// lines part before both end. The trials of the alignment fail most of the
// time on reports that differ everywhere; this spares running them for
// real.
bool linesSurelyDiffer(RunState& run, const LineInBuffer& line1,
                       const LineInBuffer& line2) {
  using Kind = PeekedToken::Kind;
  if (line1.end.kind == Kind::kUnknown || line2.end.kind == Kind::kUnknown) {
    return false;
  }
  const PageReader& r1 = run.readers[0];
  const PageReader& r2 = run.readers[1];
  PeekedToken a = line1.first;
  PeekedToken b = line2.first;
  // The same bytes through the line ends read the same.
  const std::uint32_t length = line1.end.start + line1.end.length - a.start;
  if (length == line2.end.start + line2.end.length - b.start &&
      std::memcmp(r1.bytes() + a.start, r2.bytes() + b.start, length) == 0) {
    return false;
  }
  // The words before the first differing byte read the same.
  peekPastEqualWords(r1, a, r2, b);
  for (;;) {
    if (a.kind == Kind::kUnknown || b.kind == Kind::kUnknown) {
      return false;
    }
    if (a.kind == Kind::kLineEnd || b.kind == Kind::kLineEnd) {
      // Words left on one line only are extra words.
      return a.kind != b.kind;
    }
    if (!wordsReadSame(run, {r1.bytes() + a.start, a.length},
                       {r2.bytes() + b.start, b.length})) {
      return true;
    }
    a = peekNextToken(r1, a);
    b = peekNextToken(r2, b);
  }
}

// compareLineWords as a trial: false at once, with nothing changed, when
// the lines surely differ. The caller takes back what a failed trial
// changed, so only the answer counts.
bool lineTrial(RunState& run) {
  return !(run.values.shortcuts &&
           linesSurelyDiffer(
               run, peekLine(run.readers[0], run.readers[0].position),
               peekLine(run.readers[1], run.readers[1].position))) &&
         compareLineWords(run);
}

// Right after a line pair differed (the files after it, altLineMark before
// it): true when no alignment can match, told from the buffers alone — the
// next pair surely differs, and so do the next line of each file against
// the other file's line of the pair. Then the pair is a changed line, as
// comparing it found, and the trials need not run.
bool noLineTrialMatches(RunState& run) {
  const PageReader& r1 = run.readers[0];
  const PageReader& r2 = run.readers[1];
  if (!run.values.shortcuts ||
      (r1.position.atLineEnd && r2.position.atLineEnd)) {
    return false;
  }
  const LineInBuffer after1 = peekLine(r1, r1.position);
  const LineInBuffer after2 = peekLine(r2, r2.position);
  const Mark& before = run.marks.altLineMark;
  return linesSurelyDiffer(run, after1, after2) &&
         linesSurelyDiffer(run, after1, peekLine(r2, before.files[1])) &&
         linesSurelyDiffer(run, peekLine(r1, before.files[0]), after2);
}

// The judgement made of the word pair both files stand on, and where they
// stand, for comparing that pair without judging it again.
struct JudgedPair {
  bool valid = false;
  std::uint32_t at1 = 0;
  std::uint32_t at2 = 0;
  WordJudgement judged{};
};

bool judgedHere(RunState& run, const JudgedPair& pair) {
  return pair.valid && position(run, 1).tokenStart == pair.at1 &&
         position(run, 2).tokenStart == pair.at2;
}

// After the word pair at wordMark differed, with both files on the next
// words: true when none of the alignment's trials there can match, neither
// the next pair nor either next word against the other file's differing
// word. Then the pair is a changed word, as comparing it was, and `next`
// keeps the judgement of the next pair.
bool noWordTrialMatches(RunState& run, JudgedPair& next) {
  if (!run.values.shortcuts || atLineEnd(run, 1) || atLineEnd(run, 2)) {
    return false;
  }
  const Mark& mark = run.marks.wordMark;
  const TokenBytes next1 = currentToken(run, 1);
  const TokenBytes next2 = currentToken(run, 2);
  const TokenBytes word1 = tokenAt(run.readers[0], mark.files[0]);
  const TokenBytes word2 = tokenAt(run.readers[1], mark.files[1]);
  const WordJudgement judged = judgeWords(run, next1, next2);
  if (judged.same() || wordsReadSame(run, next1, word2) ||
      wordsReadSame(run, word1, next2)) {
    return false;
  }
  next = {true, position(run, 1).tokenStart, position(run, 2).tokenStart,
          judged};
  return true;
}

// Tries the current line of file `extra` as a line that only that file has:
// true, with the line listed, when the next line of `extra` matches the
// current line of the other file. Starts from the state before the pair.
bool tryExtraLine(RunState& run, int extra) {
  backToPairStart(run);
  clearDiff(run);
  collectRestOfLine(run, extra);
  swapDiff(run);
  clearDiff(run);
  saveLineMark(run);
  if (!lineTrial(run)) {
    return false;
  }
  restoreLineMark(run);
  swapDiff(run);
  PendingDiff& pending = run.pending;
  int other = 3 - extra;
  if (pending.diffText(fileIndex(extra)).empty()) {
    // A blank extra line still gets a listing entry with its line number.
    pending.diffText(0).assign(" ");
    pending.diffText(1).assign(" ");
    pending.diffLine(fileIndex(extra)) =
        static_cast<std::uint32_t>(position(run, extra).lineCount);
    pending.diffLine(fileIndex(other)) = static_cast<std::uint32_t>(
        std::int64_t{position(run, other).lineCount} + 1);
  }
  listDifference(run, extra);
  bump(run.counters.linesDiffered);
  return true;
}

// Within a line pair: tries the current word of file `extra` as a word that
// only that file has. Starts from wordMark; true, with the word added to the
// pending text and both files on the matched pair, when the next word of
// `extra` matches the other file's word.
bool tryExtraLineWord(RunState& run, int extra, std::size_t keep) {
  restoreWordMark(run);
  restoreWordCounts(run);
  truncateDiff(run, keep);
  nextToken(run, extra);
  if (!compareWords(run)) {
    return false;
  }
  restoreWordMark(run);
  restoreWordCounts(run);
  bump(run.counters.words.wordDiffCount);
  appendDiffWords(run, extra);
  nextToken(run, extra);
  return true;
}

// Word mode: tries the current word of file `extra` as an extra word and
// lists it at once when it is one. Starts from wordMark.
bool tryExtraWord(RunState& run, int extra) {
  restoreWordMark(run);
  restoreWordCounts(run);
  clearDiff(run);
  nextToken(run, extra);
  if (!compareWords(run)) {
    return false;
  }
  // The counts of the matching comparison (an excused number) stay.
  restoreWordMark(run);
  bump(run.counters.words.wordDiffCount);
  appendDiffWords(run, extra);
  listDifference(run, extra);
  nextToken(run, extra);
  nextTokenBoth(run);
  return true;
}

void setPositions(RunState& run, const std::array<ReaderPosition, 2>& to) {
  run.readers[0].position = to[0];
  run.readers[1].position = to[1];
}

// Passes the current line pair, and the pairs after it, while they read the
// same in both files (findEqualLines), counting them as compared and
// leaving the files, the marks and the counters as comparing them one by
// one would. False, with nothing changed, when the current pair does not
// read the same.
bool passEqualLines(RunState& run) {
  const EqualLines equal = findEqualLines(run, run.settings.skipHead > 0);
  if (equal.count == 0) {
    return false;
  }
  std::int32_t& compared = run.counters.linesCompared;
  compared = static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{compared} + equal.count, INT32_MAX));
  // The last pair as compareLinePair goes through it: marks at its start,
  // lineMark taken there, wordMark at its last word (the words before it
  // read the same), and on to its line end and past it.
  setPositions(run, equal.firstWord);
  moveMarksToCurrent(run, 1);
  moveMarksToCurrent(run, 2);
  saveLineMark(run);
  setPositions(run, equal.lastWord);
  saveWordMark(run);
  saveWordCounts(run);
  if (equal.blankAfter) {
    // And the runs of blank lines after it, which match whatever their
    // lengths: marks at their start, wordMark on their last line ends.
    setPositions(run, equal.firstBlank);
    moveMarksToCurrent(run, 1);
    moveMarksToCurrent(run, 2);
    setPositions(run, equal.lastBlank);
    saveWordMark(run);
  } else {
    setPositions(run, equal.lineEnd);
  }
  nextToken(run, 1);
  nextToken(run, 2);
  return true;
}

}  // namespace

void compareLinePair(RunState& run) {
  // Nothing before this line is needed again: let compaction drop it, and
  // what was counted before it stays.
  settleRecords(run);
  moveMarksToCurrent(run, 1);
  moveMarksToCurrent(run, 2);

  skipToLastBlankLine(run, 1);
  skipToLastBlankLine(run, 2);
  if (atLineEnd(run, 1) && atLineEnd(run, 2)) {
    // Runs of blank lines in both files match whatever their lengths.
    collectRestOfLine(run, 1);
    collectRestOfLine(run, 2);
    return;
  }
  if (run.settings.skipHead > 0 && isTaggedPair(run)) {
    skipRestOfLine(run, 1);
    skipRestOfLine(run, 2);
    return;
  }

  if (run.values.shortcuts && passEqualLines(run)) {
    return;
  }

  bump(run.counters.linesCompared);
  saveLineMark(run);  // S0: before the pair
  if (compareLineWords(run)) {
    listDifference(run, 0);
    return;
  }

  // The pair differs. altLineMark keeps S0, the pair's text is set aside and
  // lineMark takes S1, after the pair.
  swapLineMarks(run);
  swapDiff(run);
  saveLineMark(run);
  if (noLineTrialMatches(run)) {
    swapDiff(run);
    listDifference(run, 0);
    bump(run.counters.linesDiffered);
    return;
  }

  // A changed line when the next pair matches (or both next lines are blank
  // or both pages ended).
  if ((atLineEnd(run, 1) && atLineEnd(run, 2)) || lineTrial(run)) {
    restoreLineMark(run);
    swapDiff(run);
    listDifference(run, 0);
    bump(run.counters.linesDiffered);
    return;
  }

  if (tryExtraLine(run, 1) || tryExtraLine(run, 2)) {
    return;
  }

  // No alignment: the pair is a changed line after all.
  swapLineMarks(run);
  restoreLineMark(run);
  clearDiff(run);
  compareLineWords(run);
  listDifference(run, 0);
  bump(run.counters.linesDiffered);
}

bool compareLineWords(RunState& run) {
  const WordCounts& counts = run.counters.words;
  const std::int32_t wordsBefore = counts.wordDiffCount;
  const std::int32_t numbersBefore = counts.numericDiffCount;

  JudgedPair next;
  while (!atLineEnd(run, 1) && !atLineEnd(run, 2)) {
    // Words that read the same in both files compare equal and change
    // nothing: only the pairs from the first difference on, or the last
    // pair of the line, are compared.
    if (run.values.shortcuts) {
      skipEqualWords(run);
    }
    saveWordMark(run);
    saveWordCounts(run);
    const std::size_t keep = run.pending.diffText(0).length;
    const bool same = judgedHere(run, next)
                          ? compareJudgedWords(run, next.judged)
                          : compareWords(run);
    next.valid = false;
    if (same) {
      continue;
    }
    if (atLineEnd(run, 1) && atLineEnd(run, 2)) {
      continue;
    }
    if (noWordTrialMatches(run, next)) {
      continue;
    }
    // A changed word when the next pair matches.
    if (compareWords(run)) {
      continue;
    }
    if (tryExtraLineWord(run, 1, keep) || tryExtraLineWord(run, 2, keep)) {
      continue;
    }
    restoreWordMark(run);
    restoreWordCounts(run);
    truncateDiff(run, keep);
    compareWords(run);
  }
  // Words left on the longer line are extra words.
  collectRestOfLine(run, 1);
  collectRestOfLine(run, 2);
  return counts.wordDiffCount == wordsBefore &&
         counts.numericDiffCount == numbersBefore;
}

void compareWordPair(RunState& run) {
  settleRecords(run);
  saveWordMark(run);
  saveWordCounts(run);
  if (compareWords(run)) {
    return;
  }
  if ((atPageEndMayRefill(run, 1) && atPageEndMayRefill(run, 2)) ||
      compareWords(run)) {
    listDifference(run, 0);
    return;
  }
  if (tryExtraWord(run, 1) || tryExtraWord(run, 2)) {
    return;
  }
  restoreWordMark(run);
  restoreWordCounts(run);
  clearDiff(run);
  compareWords(run);
  listDifference(run, 0);
}

void collectRestOfLine(RunState& run, int fileNo) {
  while (!atLineEnd(run, fileNo)) {
    appendDiffWords(run, fileNo);
    bump(run.counters.words.wordDiffCount);
    nextToken(run, fileNo);
  }
  if (!atPageEndMayRefill(run, fileNo)) {
    nextToken(run, fileNo);
  }
}

void skipRestOfLine(RunState& run, int fileNo) {
  skipToLineEnd(run, fileNo);
  if (!atPageEndMayRefill(run, fileNo)) {
    nextToken(run, fileNo);
  }
}
