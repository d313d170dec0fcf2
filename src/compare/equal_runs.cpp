#include "compare/equal_runs.h"

#include <algorithm>
#include <cstdint>

#include "core/run_state.h"
#include "reader/bytes.h"
#include "reader/token_reader.h"
#include "reader/words.h"

namespace {

// A run of blank lines of one file, from the line end of its first blank
// line at `first`: where its last line end stands, how long it is, how many
// line ends the run holds, and where the token after it starts. `next` is
// `room` when that cannot be told from the bytes below `room`, or when the
// run ends at a page end.
struct BlankRun {
  std::uint32_t last;
  std::uint32_t lastLength;
  std::int32_t lineEnds;
  std::uint32_t next;
};

BlankRun findBlankRun(const unsigned char* text, std::uint32_t first,
                      std::uint32_t room) {
  BlankRun run{first, 1, 1, room};
  for (;;) {
    if (text[run.last] == kCr) {
      if (run.last + 1 >= room) {
        return {run.last, 1, run.lineEnds, room};
      }
      run.lastLength = text[run.last + 1] == kLf ? 2 : 1;
    } else {
      run.lastLength = 1;
    }
    // Most blank lines hold no blank: their next line end follows at once.
    const std::uint32_t after = run.last + run.lastLength;
    const std::uint32_t next =
        after < room && kByteClass[text[after]] == ByteClass::kLineEnd
            ? after
            : skipBlanks(text, after, room);
    if (next == room || text[next] == kFf) {
      run.next = room;
      return run;
    }
    if (kByteClass[text[next]] != ByteClass::kLineEnd) {
      run.next = next;
      return run;
    }
    run.last = next;
    if (run.lineEnds < INT32_MAX) {
      ++run.lineEnds;
    }
  }
}

std::int32_t addLineEnds(std::int32_t lineCount, std::int64_t more) {
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{lineCount} + more, INT32_MAX));
}

void setPositions(RunState& run, const std::array<ReaderPosition, 2>& to) {
  run.readers[0].position = to[0];
  run.readers[1].position = to[1];
}

}  // namespace

EqualLines findEqualLines(const RunState& run, bool stopAtTags) {
  EqualLines found;
  const PageReader& r1 = run.readers[0];
  const PageReader& r2 = run.readers[1];
  const ReaderPosition& a = r1.position;
  const ReaderPosition& b = r2.position;
  if (readsWords(run) || a.atLineEnd || b.atLineEnd ||
      a.tokenLength != b.tokenLength ||
      std::uint64_t{a.tokenStart} + a.tokenLength >= r1.bufLen ||
      std::uint64_t{b.tokenStart} + b.tokenLength >= r2.bufLen) {
    return found;
  }
  // Offsets count from each file's current token. Each line is scanned
  // once, sixteen bytes at a time, up to its line end or a difference.
  const unsigned char* base[2] = {r1.bytes() + a.tokenStart,
                                  r2.bytes() + b.tokenStart};
  const std::uint32_t room[2] = {r1.bufLen - a.tokenStart,
                                 r2.bufLen - b.tokenStart};
  const ReaderPosition* from[2] = {&a, &b};
  std::uint32_t at[2] = {0, 0};       // the pair's first words
  std::int64_t lineEnds[2] = {0, 0};  // line ends passed before them
  // The last pair found; its words are looked at once the run is over.
  struct Pair {
    std::uint32_t at[2];
    std::uint32_t end;  // its text's length
    std::uint32_t endLength;
    std::int64_t lineEnds[2];
  } last{};
  for (;;) {
    const unsigned char* text1 = base[0] + at[0];
    const unsigned char* text2 = base[1] + at[1];
    const std::uint32_t pairRoom = std::min(room[0] - at[0], room[1] - at[1]);
    // The line counts when it ends here in both files alike, and the byte
    // after its line end (which tells CR LF from a lone CR) is in both
    // buffers.
    const std::uint32_t end =
        findLineEndOrDifference(text1, text2, 0, pairRoom);
    if (end + 1 >= pairRoom || text1[end] != text2[end] || text1[end] == kFf) {
      break;
    }
    const bool crLf = text1[end] == kCr && text1[end + 1] == kLf;
    if (crLf != (text2[end] == kCr && text2[end + 1] == kLf)) {
      break;
    }
    const std::uint32_t endLength = crLf ? 2 : 1;
    ++found.count;
    found.blankAfter = false;
    last = {{at[0], at[1]}, end, endLength, {lineEnds[0], lineEnds[1]}};
    ++lineEnds[0];
    ++lineEnds[1];
    // The token after the line end in each file: a word in both goes on
    // with a pair, a blank line in both with runs of blank lines first.
    std::uint32_t next[2];
    for (int i = 0; i < 2; ++i) {
      next[i] = skipBlanks(base[i], at[i] + end + endLength, room[i]);
    }
    if (next[0] == room[0] || next[1] == room[1]) {
      break;
    }
    const ByteClass kind = kByteClass[base[0][next[0]]];
    if (kind != kByteClass[base[1][next[1]]]) {
      break;
    }
    if (kind == ByteClass::kLineEnd) {
      BlankRun blank[2];
      for (int i = 0; i < 2; ++i) {
        blank[i] = findBlankRun(base[i], next[i], room[i]);
      }
      if (blank[0].next == room[0] || blank[1].next == room[1]) {
        break;
      }
      found.blankAfter = true;
      for (int i = 0; i < 2; ++i) {
        const std::uint32_t start = from[i]->tokenStart;
        found.firstBlank[i] = {
            start + next[i],
            base[i][next[i]] == kCr && base[i][next[i] + 1] == kLf ? 2u : 1u,
            addLineEnds(from[i]->lineCount, lineEnds[i] + 1), true};
        lineEnds[i] += blank[i].lineEnds;
        found.lastBlank[i] = {start + blank[i].last, blank[i].lastLength,
                              addLineEnds(from[i]->lineCount, lineEnds[i]),
                              true};
        next[i] = blank[i].next;
      }
    } else if (kind != ByteClass::kWordByte) {
      break;  // a page end
    }
    // A tag has four bytes before its line end, so a line closer than that
    // to the end of the bytes is none (and cannot count anyway).
    if (stopAtTags && next[0] + 4 <= room[0] &&
        startsWithTag(base[0] + next[0])) {
      break;
    }
    at[0] = next[0];
    at[1] = next[1];
  }
  if (found.count == 0) {
    return found;
  }
  // The last pair's first word, and its last word as skipToLastEqualWord
  // finds it (the words of a line read backwards and forwards alike).
  const unsigned char* text = base[0] + last.at[0];
  const std::uint32_t firstLength =
      last.at[0] == 0 ? a.tokenLength : wordLengthWithin(text, 0, last.end + 1);
  const LastWord word = findLastWord(text, 0, last.end);
  const std::uint32_t lastLength =
      word.start == 0 ? firstLength : word.end - word.start;
  for (int i = 0; i < 2; ++i) {
    const std::uint32_t start = from[i]->tokenStart + last.at[i];
    const std::int32_t before =
        addLineEnds(from[i]->lineCount, last.lineEnds[i]);
    found.firstWord[i] = {start, firstLength, before, false};
    found.lastWord[i] = {start + word.start, lastLength, before, false};
    found.lineEnd[i] = {start + last.end, last.endLength,
                        addLineEnds(before, 1), true};
  }
  return found;
}

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
