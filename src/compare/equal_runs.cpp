#include "compare/equal_runs.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "compare/word_compare.h"
#include "core/number.h"
#include "core/records.h"
#include "core/run_state.h"
#include "reader/bytes.h"
#include "reader/checkpoints.h"
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
  run.readers[Side::kOne].position = to[0];
  run.readers[Side::kTwo].position = to[1];
}

// One file's walk over its lines in the valid bytes, from its current token
// on: offsets count from that token.
struct LineCursor {
  explicit LineCursor(const PageReader& r)
      : text(r.bytes() + r.position.tokenStart),
        room(r.bufLen - r.position.tokenStart),
        from(r.position) {}

  const unsigned char* text;  // the current token's first byte
  std::uint32_t room;         // the valid bytes from there
  ReaderPosition from;        // where the walk began
  std::uint32_t at = 0;       // the first word of the line it stands on
  std::int64_t lineEnds = 0;  // line ends passed before that line

  // Where `offset` stands in the buffer, as nextToken would read it there,
  // with `ends` line ends passed since the walk began.
  ReaderPosition positionAt(std::uint32_t offset, std::uint32_t length,
                            std::int64_t ends, bool atLineEnd) const {
    return {from.tokenStart + offset, length, addLineEnds(from.lineCount, ends),
            atLineEnd};
  }
  // The length of the line end at `offset`: 2 for a CR LF, else 1.
  std::uint32_t lineEndLength(std::uint32_t offset) const {
    return text[offset] == kCr && text[offset + 1] == kLf ? 2 : 1;
  }
  // Passes the line end `end` bytes into the line: on to the token after
  // it, which is `room` when it lies beyond the valid bytes.
  std::uint32_t passLineEnd(std::uint32_t end, std::uint32_t endLength) {
    ++lineEnds;
    return skipBlanks(text, at + end + endLength, room);
  }
};

// The line both cursors stand on, when it reads the same in both, its line
// end included, and the byte after the line end (which tells a CR LF from a
// lone CR) lies in both buffers: the length of its text and of its line
// end. False when it does not; then `end` is where the texts first differ
// or the first line terminator stands.
struct SameLine {
  std::uint32_t end;
  std::uint32_t endLength;
};

bool sameLine(const LineCursor& one, const LineCursor& two, SameLine& line) {
  const unsigned char* text1 = one.text + one.at;
  const unsigned char* text2 = two.text + two.at;
  const std::uint32_t room = std::min(one.room - one.at, two.room - two.at);
  const std::uint32_t end = findLineEndOrDifference(text1, text2, 0, room);
  line.end = end;
  if (end + 1 >= room || text1[end] != text2[end] || text1[end] == kFf) {
    return false;
  }
  const std::uint32_t length = one.lineEndLength(one.at + end);
  if (length != two.lineEndLength(two.at + end)) {
    return false;
  }
  line = {end, length};
  return true;
}

// The line both cursors stand on, when its words stand at the same places
// in both files and each pair is equal or a pair of numbers that judgeWords
// finds the same, and its line ends have the same length, with the byte
// after them in both buffers: the length of its text and of its line end.
// Each number pair goes into found.excused from `excused` on, which then
// counts them. False when the line is no such line, or holds more number
// pairs than there is room for. `line` comes as sameLine left it.
bool excusedLine(RunState& run, const LineCursor& one, const LineCursor& two,
                 EqualLines& found, std::int32_t& excused, SameLine& line) {
  const unsigned char* text1 = one.text + one.at;
  const unsigned char* text2 = two.text + two.at;
  const std::uint32_t room = std::min(one.room - one.at, two.room - two.at);
  std::int32_t count = excused;
  // Every word before `i` ends at the same place in both files and reads
  // the same, or is a pair of numbers passed already.
  std::uint32_t i = 0;
  std::uint32_t differ = line.end;  // as sameLine found it
  for (;;) {
    if (differ + 1 >= room) {
      return false;
    }
    if (isLineTerminator(text1[differ]) && isLineTerminator(text2[differ])) {
      const std::uint32_t length = one.lineEndLength(one.at + differ);
      if (text1[differ] == kFf || text2[differ] == kFf ||
          length != two.lineEndLength(two.at + differ)) {
        return false;
      }
      line = {differ, length};
      excused = count;
      return true;
    }
    // Back to the blank before the word that holds or follows the
    // difference (commas taken along, as they may join digits): every word
    // before that blank ends there in both files alike.
    std::uint32_t from = differ;
    while (from > i &&
           (isWordByte(text1[from - 1]) || text1[from - 1] == kComma)) {
      --from;
    }
    const std::uint32_t at = skipBlanks(text1, from, room);
    if (at != skipBlanks(text2, from, room) || at + 1 >= room ||
        kByteClass[text1[at]] != ByteClass::kWordByte ||
        kByteClass[text2[at]] != ByteClass::kWordByte) {
      return false;
    }
    const std::uint32_t length = wordLengthWithin(text1, at, room);
    if (length == 0 || length != wordLengthWithin(text2, at, room)) {
      return false;
    }
    if (std::memcmp(text1 + at, text2 + at, length) != 0) {
      const WordJudgement judged =
          judgeWords(run, {text1 + at, length}, {text2 + at, length});
      if (!judged.same() || count == kMaxExcusedNumbers) {
        return false;
      }
      found.excused[static_cast<std::size_t>(count)] = {
          judged.verdict, judged.units1, judged.units2,
          std::int64_t{one.positionAt(0, 0, one.lineEnds, false).lineCount} + 1,
          std::int64_t{two.positionAt(0, 0, two.lineEnds, false).lineCount} +
              1};
      ++count;
    }
    i = at + length;
    differ = findLineEndOrDifference(text1, text2, i, room);
  }
}

}  // namespace

EqualLines findEqualLines(RunState& run, bool stopAtTags) {
  EqualLines found;
  const PageReader& r1 = run.readers[Side::kOne];
  const PageReader& r2 = run.readers[Side::kTwo];
  const ReaderPosition& a = r1.position;
  const ReaderPosition& b = r2.position;
  if (readsWords(run) || a.atLineEnd || b.atLineEnd ||
      a.tokenLength != b.tokenLength ||
      std::uint64_t{a.tokenStart} + a.tokenLength >= r1.bufLen ||
      std::uint64_t{b.tokenStart} + b.tokenLength >= r2.bufLen) {
    return found;
  }
  // Each line is scanned once, sixteen bytes at a time, up to its line end
  // or a difference. The last pair found is kept; its words are looked at
  // once the run is over.
  std::array<LineCursor, 2> files = {LineCursor(r1), LineCursor(r2)};
  LineCursor& one = files[0];
  LineCursor& two = files[1];
  std::array<LineCursor, 2> last = files;
  SameLine lastLine{};
  std::int32_t pairs = 0;    // line pairs so far
  std::int32_t excused = 0;  // number pairs in them
  for (;;) {
    SameLine line;
    const bool same = sameLine(one, two, line);
    // A run begins with a pair that reads the same: where lines differ
    // everywhere, the word rules are not asked about each first pair.
    if (!same &&
        (pairs == 0 || !excusedLine(run, one, two, found, excused, line))) {
      break;
    }
    ++pairs;
    if (same) {
      // The run may end here.
      found.count = pairs;
      found.excusedCount = excused;
      found.blankAfter = false;
      last = files;
      lastLine = line;
    }
    // The token after the line end in each file: a word in both goes on
    // with a pair, a blank line in both with runs of blank lines first.
    std::array<std::uint32_t, 2> next;
    for (int i = 0; i < 2; ++i) {
      next[i] = files[i].passLineEnd(line.end, line.endLength);
    }
    if (next[0] == one.room || next[1] == two.room) {
      break;
    }
    const ByteClass kind = kByteClass[one.text[next[0]]];
    if (kind != kByteClass[two.text[next[1]]]) {
      break;
    }
    if (kind == ByteClass::kLineEnd) {
      std::array<BlankRun, 2> blank;
      for (int i = 0; i < 2; ++i) {
        blank[i] = findBlankRun(files[i].text, next[i], files[i].room);
      }
      if (blank[0].next == one.room || blank[1].next == two.room) {
        break;
      }
      found.blankAfter = found.blankAfter || same;
      for (int i = 0; i < 2; ++i) {
        LineCursor& file = files[i];
        if (same) {
          found.firstBlank[i] = file.positionAt(
              next[i], file.lineEndLength(next[i]), file.lineEnds + 1, true);
        }
        file.lineEnds += blank[i].lineEnds;
        if (same) {
          found.lastBlank[i] = file.positionAt(
              blank[i].last, blank[i].lastLength, file.lineEnds, true);
        }
        next[i] = blank[i].next;
      }
    } else if (kind != ByteClass::kWordByte) {
      break;  // a page end
    }
    // A tag has four bytes before its line end, so a line closer than that
    // to the end of the bytes is none (and cannot count anyway).
    if (stopAtTags && next[0] + 4 <= one.room &&
        startsWithTag(one.text + next[0])) {
      break;
    }
    one.at = next[0];
    two.at = next[1];
  }
  if (found.count == 0) {
    return found;
  }
  // The last pair's first word, and its last word as skipToLastEqualWord
  // finds it (the words of a line read backwards and forwards alike).
  const unsigned char* text = last[0].text + last[0].at;
  const std::uint32_t firstLength =
      last[0].at == 0 ? a.tokenLength
                      : wordLengthWithin(text, 0, lastLine.end + 1);
  const LastWord word = findLastWord(text, 0, lastLine.end);
  const std::uint32_t lastLength =
      word.start == 0 ? firstLength : word.end - word.start;
  for (int i = 0; i < 2; ++i) {
    const LineCursor& file = last[i];
    found.firstWord[i] =
        file.positionAt(file.at, firstLength, file.lineEnds, false);
    found.lastWord[i] =
        file.positionAt(file.at + word.start, lastLength, file.lineEnds, false);
    found.lineEnd[i] = file.positionAt(
        file.at + lastLine.end, lastLine.endLength, file.lineEnds + 1, true);
  }
  return found;
}

bool passEqualLines(RunState& run) {
  const EqualLines equal = findEqualLines(run, run.settings.skipHead > 0);
  if (equal.count == 0) {
    return false;
  }
  // The number pairs of the lines that do not read the same byte for byte,
  // as comparing their words counts and records them.
  WordCounts& counts = run.counters.words;
  for (std::int32_t k = 0; k < equal.excusedCount; ++k) {
    const ExcusedNumbers& n = equal.excused[static_cast<std::size_t>(k)];
    recordNumbersOn(run, unitsToValue(n.units1), unitsToValue(n.units2),
                    n.line1, n.line2, n.verdict);
    if (n.verdict == Verdict::kTiny) {
      bump(counts.tinyDiffCount);
    } else if (n.verdict == Verdict::kLastPlace) {
      bump(counts.lastDigitCount);
    }
  }
  std::int32_t& compared = run.counters.linesCompared;
  compared = static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{compared} + equal.count, INT32_MAX));
  // The last pair as compareLinePair goes through it: checkpoints at its
  // start, the line checkpoint saved there, the word one at its last word (the
  // words before it read the same), and on to its line end and past it.
  setPositions(run, equal.firstWord);
  moveCheckpointsToCurrent(run, Side::kOne);
  moveCheckpointsToCurrent(run, Side::kTwo);
  saveCheckpoint(run, Checkpoint::kLineStart);
  setPositions(run, equal.lastWord);
  saveCheckpoint(run, Checkpoint::kWordStart);
  if (equal.blankAfter) {
    // And the runs of blank lines after it, which match whatever their
    // lengths: checkpoints at their start, the word one on their last line
    // ends.
    setPositions(run, equal.firstBlank);
    moveCheckpointsToCurrent(run, Side::kOne);
    moveCheckpointsToCurrent(run, Side::kTwo);
    setPositions(run, equal.lastBlank);
    savePositions(run, Checkpoint::kWordStart);
  } else {
    setPositions(run, equal.lineEnd);
  }
  nextToken(run, Side::kOne);
  nextToken(run, Side::kTwo);
  return true;
}
