#include "compare/quick_trials.h"

#include <cstdint>
#include <cstring>

#include "core/run_state.h"
#include "reader/checkpoints.h"
#include "reader/peek.h"
#include "reader/token_reader.h"

namespace {

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
  const PageReader& r1 = run.readers[Side::kOne];
  const PageReader& r2 = run.readers[Side::kTwo];
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

}  // namespace

bool currentLinesSurelyDiffer(RunState& run) {
  return linesSurelyDiffer(
      run, peekLine(run.readers[Side::kOne], run.readers[Side::kOne].position),
      peekLine(run.readers[Side::kTwo], run.readers[Side::kTwo].position));
}

bool noLineTrialMatches(RunState& run) {
  const PageReader& r1 = run.readers[Side::kOne];
  const PageReader& r2 = run.readers[Side::kTwo];
  if (r1.position.atLineEnd && r2.position.atLineEnd) {
    return false;
  }
  const LineInBuffer after1 = peekLine(r1, r1.position);
  const LineInBuffer after2 = peekLine(r2, r2.position);
  const ReaderPosition& before1 =
      checkpointPosition(run, Checkpoint::kPairStart, Side::kOne);
  const ReaderPosition& before2 =
      checkpointPosition(run, Checkpoint::kPairStart, Side::kTwo);
  return linesSurelyDiffer(run, after1, after2) &&
         linesSurelyDiffer(run, after1, peekLine(r2, before2)) &&
         linesSurelyDiffer(run, peekLine(r1, before1), after2);
}

bool noWordTrialMatches(RunState& run, JudgedPair& next) {
  if (atLineEnd(run, Side::kOne) || atLineEnd(run, Side::kTwo)) {
    return false;
  }
  const TokenBytes next1 = currentToken(run, Side::kOne);
  const TokenBytes next2 = currentToken(run, Side::kTwo);
  const TokenBytes word1 =
      tokenAt(run.readers[Side::kOne],
              checkpointPosition(run, Checkpoint::kWordStart, Side::kOne));
  const TokenBytes word2 =
      tokenAt(run.readers[Side::kTwo],
              checkpointPosition(run, Checkpoint::kWordStart, Side::kTwo));
  const WordJudgement judged = judgeWords(run, next1, next2);
  if (judged.same() || wordsReadSame(run, next1, word2) ||
      wordsReadSame(run, word1, next2)) {
    return false;
  }
  next = {true, position(run, Side::kOne).tokenStart,
          position(run, Side::kTwo).tokenStart, judged};
  return true;
}

bool judgedHere(RunState& run, const JudgedPair& pair) {
  return pair.valid && position(run, Side::kOne).tokenStart == pair.at1 &&
         position(run, Side::kTwo).tokenStart == pair.at2;
}
