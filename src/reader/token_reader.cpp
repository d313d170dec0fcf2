#include "reader/token_reader.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "reader/bytes.h"
#include "reader/page_buffer.h"

namespace {

// Report columns are padded with long runs of SPACEs; on a little-endian
// machine they are skipped eight bytes at a time, the first byte in memory
// being the lowest of the eight.
constexpr bool kSkipSpacesByEight = std::endian::native == std::endian::little;

// The offset of the first byte at or after `i` that is not a blank, or
// `end`.
std::uint32_t skipBlanks(const unsigned char* buf, std::uint32_t i,
                         std::uint32_t end) {
  for (;;) {
    if (kSkipSpacesByEight && end - i >= 8) {
      const std::uint64_t notSpace = loadEight(buf + i) ^ 0x2020202020202020;
      if (notSpace == 0) {
        i += 8;
        continue;
      }
      i += static_cast<std::uint32_t>(std::countr_zero(notSpace)) / 8;
    }
    if (i == end || kByteClass[buf[i]] != ByteClass::kBlank) {
      return i;
    }
    ++i;
  }
}

// The length of the word whose first byte `first` stands at the current
// position. Scans the buffer directly and asks charAt (which may refill and
// shift the position) only for the byte just past the valid bytes.
std::uint32_t wordLength(RunState& run, int fileNo, unsigned char first) {
  const PageReader& r = reader(run, fileNo);
  std::uint32_t length = 1;
  unsigned char prev = first;
  for (;;) {
    if (prev != kComma) {
      const unsigned char* buf = r.bytes();
      const std::uint32_t start = r.position.tokenStart;
      const std::uint32_t from = start + length;
      const std::uint32_t i = findWordEnd(buf, from, r.bufLen);
      if (i > from) {
        prev = buf[i - 1];
        length = i - start;
      }
    }
    const unsigned char next =
        charAt(run, fileNo, static_cast<std::int32_t>(length));
    if (prev == kComma && !isDigit(next)) {
      return length - 1;  // a comma not followed by a digit ends the word
    }
    if (next == kComma ? !isDigit(prev) : !isWordByte(next)) {
      return length;
    }
    ++length;
    prev = next;
  }
}

// wordLength byte by byte through charAt, as the rule reads: a word runs
// over word bytes and over a comma that stands between two digits.
std::uint32_t plainWordLength(RunState& run, int fileNo, unsigned char first) {
  std::uint32_t length = 1;
  unsigned char prev = first;
  for (;;) {
    const unsigned char next =
        charAt(run, fileNo, static_cast<std::int32_t>(length));
    if (prev == kComma && !isDigit(next)) {
      return length - 1;
    }
    if (next == kComma ? !isDigit(prev) : !isWordByte(next)) {
      return length;
    }
    ++length;
    prev = next;
  }
}

// The length of the common start of a[0 .. room - 1] and b[0 .. room - 1]
// up to the first line terminator, which must stand at the same place in
// both: that place, or `room` when the texts differ before it or no
// terminator comes first.
std::uint32_t equalLineLength(const unsigned char* a, const unsigned char* b,
                              std::uint32_t room) {
  const std::uint32_t i = findLineEndOrDifference(a, b, 0, room);
  if (i == room) {
    return room;
  }
  return isLineTerminator(a[i]) && isLineTerminator(b[i]) ? i : room;
}

// Where the last word of the line text text[from .. lineEnd - 1] starts
// and ends, found backwards: a word is a run of word bytes and of commas
// between two digits, and the text starts with a word at `from`.
struct LastWord {
  std::uint32_t start;
  std::uint32_t end;
};

LastWord findLastWord(const unsigned char* text, std::uint32_t from,
                      std::uint32_t lineEnd) {
  std::uint32_t wordEnd = lineEnd;
  while (wordEnd > from && kByteClass[text[wordEnd - 1]] == ByteClass::kBlank) {
    --wordEnd;
  }
  if (wordEnd == from) {
    return {from, from};
  }
  std::uint32_t wordStart = wordEnd - 1;
  while (wordStart > from) {
    const unsigned char c = text[wordStart - 1];
    const bool inWordComma = c == kComma && wordStart - from >= 2 &&
                             isDigit(text[wordStart - 2]) &&
                             isDigit(text[wordStart]);
    if (!isWordByte(c) && !inWordComma) {
      break;
    }
    --wordStart;
  }
  return {wordStart, wordEnd};
}

// The length of the word that starts at text[at], a word start byte, as
// nextToken reads it, when every byte that decides it lies below `end`;
// otherwise 0.
std::uint32_t wordLengthWithin(const unsigned char* text, std::uint32_t at,
                               std::uint32_t end) {
  std::uint32_t length = 1;
  unsigned char prev = text[at];
  for (;;) {
    if (at + length >= end) {
      return 0;
    }
    const unsigned char next = text[at + length];
    if (prev == kComma && !isDigit(next)) {
      return length - 1;
    }
    if (next == kComma ? !isDigit(prev) : !isWordByte(next)) {
      return length;
    }
    ++length;
    prev = next;
  }
}

bool startsWithTag(const unsigned char* text) {
  return std::memcmp(text, "D&T=", 4) == 0 || std::memcmp(text, "P&V=", 4) == 0;
}

void savePositions(RunState& run, Mark& mark) {
  mark.files[0] = run.readers[0].position;
  mark.files[1] = run.readers[1].position;
}

void restorePositions(RunState& run, const Mark& mark) {
  run.readers[0].position = mark.files[0];
  run.readers[1].position = mark.files[1];
}

}  // namespace

void nextToken(RunState& run, int fileNo) {
  const PageReader& r = reader(run, fileNo);
  ReaderPosition& pos = position(run, fileNo);
  const bool wordMode = run.settings.wordMode;
  for (;;) {
    pos.tokenStart += pos.tokenLength;
    pos.tokenLength = 1;
    pos.atLineEnd = false;
    if (pos.tokenStart < r.bufLen) {
      pos.tokenStart = skipBlanks(r.bytes(), pos.tokenStart, r.bufLen);
    }
    const unsigned char c = charAt(run, fileNo, 0);
    switch (kByteClass[c]) {
      case ByteClass::kLineEnd:
        if (c == kCr && charAt(run, fileNo, 1) == kLf) {
          pos.tokenLength = 2;
        }
        bump(pos.lineCount);
        pos.atLineEnd = true;
        if (wordMode) {
          continue;
        }
        return;
      case ByteClass::kPageEnd:
        fillBufferAtPageEnd(run, fileNo);
        if (atFileEnd(run, fileNo)) {
          pos.tokenLength = 0;
        }
        pos.atLineEnd = true;
        return;
      case ByteClass::kBlank:
        continue;
      case ByteClass::kWordByte:
        pos.tokenLength = run.values.shortcuts
                              ? wordLength(run, fileNo, c)
                              : plainWordLength(run, fileNo, c);
        return;
    }
  }
}

void nextTokenBoth(RunState& run) {
  nextToken(run, 1);
  nextToken(run, 2);
}

void skipLeadIn(RunState& run, int fileNo) {
  ReaderPosition& pos = position(run, fileNo);
  // A leading plot section (only there when skipPlot is off). wordMark goes
  // along so that in word mode compaction may drop what is passed.
  while (charAt(run, fileNo, 0) == kPlotMarker) {
    do {
      ++pos.tokenStart;
      saveWordMark(run);
    } while (charAt(run, fileNo, 0) != kPlotMarker && !atFileEnd(run, fileNo));
    if (!atFileEnd(run, fileNo)) {
      ++pos.tokenStart;
    }
  }
  // A leading form feed and the CR or CR LF line ends right after it.
  if (!atFileEnd(run, fileNo) && charAt(run, fileNo, 0) == kFf) {
    ++pos.tokenStart;
    while (!atFileEnd(run, fileNo) && charAt(run, fileNo, 0) == kCr) {
      ++pos.tokenStart;
      if (!atFileEnd(run, fileNo) && charAt(run, fileNo, 0) == kLf) {
        ++pos.tokenStart;
      }
    }
  }
  saveWordMark(run);
}

void skipToLineEnd(RunState& run, int fileNo) {
  const PageReader& r = reader(run, fileNo);
  ReaderPosition& pos = position(run, fileNo);
  if (!pos.atLineEnd && !run.settings.wordMode && run.values.shortcuts) {
    // The bytes up to the terminator are words and blanks, all in the
    // buffer, so nextToken would pass them without a refill: stand just
    // before the terminator and let nextToken take it as it would.
    const std::uint64_t next = std::uint64_t{pos.tokenStart} + pos.tokenLength;
    if (next < r.bufLen) {
      const std::uint32_t end =
          findLineEnd(r.bytes(), static_cast<std::uint32_t>(next), r.bufLen);
      if (end < r.bufLen) {
        pos.tokenStart = end;
        pos.tokenLength = 0;
        nextToken(run, fileNo);
      }
    }
  }
  while (!pos.atLineEnd) {
    nextToken(run, fileNo);
  }
}

namespace {

// Moves both files from their current words, where the rest of the line
// reads the same in both up to the terminator `lineEnd` bytes on, to the
// last word pair of the line; false, with nothing moved, when the current
// words are the last ones already.
bool standOnLastEqualWord(ReaderPosition& a, ReaderPosition& b,
                          const unsigned char* text, std::uint32_t lineEnd) {
  const LastWord last = findLastWord(text, 0, lineEnd);
  if (last.end == 0) {
    return false;
  }
  if (last.start == 0) {
    return false;  // the current words are the last ones already
  }
  const std::uint32_t wordStart = last.start;
  const std::uint32_t wordEnd = last.end;
  a.tokenStart += wordStart;
  b.tokenStart += wordStart;
  a.tokenLength = wordEnd - wordStart;
  b.tokenLength = wordEnd - wordStart;
  return true;
}

}  // namespace

bool skipToLastEqualWord(RunState& run) {
  PageReader& r1 = run.readers[0];
  PageReader& r2 = run.readers[1];
  ReaderPosition& a = r1.position;
  ReaderPosition& b = r2.position;
  if (a.atLineEnd || b.atLineEnd || a.tokenStart >= r1.bufLen ||
      b.tokenStart >= r2.bufLen) {
    return false;
  }
  const unsigned char* text = r1.bytes() + a.tokenStart;
  const std::uint32_t room =
      std::min(r1.bufLen - a.tokenStart, r2.bufLen - b.tokenStart);
  const std::uint32_t lineEnd =
      equalLineLength(text, r2.bytes() + b.tokenStart, room);
  if (lineEnd == room) {
    return false;
  }
  return standOnLastEqualWord(a, b, text, lineEnd);
}

namespace {

// Both texts start with a word: the word pair in which their first
// differing byte lies, or the first pair after it, when it lies beyond
// their first words and before a line end, and both words and the bytes
// that decide their lengths lie within room1 and room2. Every word before
// it ends at the same offset in both texts, so the texts read the same up
// to it. {0, 0, 0} when there is none.
struct DifferingWords {
  std::uint32_t at;
  std::uint32_t length1;
  std::uint32_t length2;
};

// findDifferingWords once the first offset where the texts differ or text1
// holds a line terminator, `differ`, is found.
DifferingWords differingWordsAt(const unsigned char* text1,
                                const unsigned char* text2, std::uint32_t room1,
                                std::uint32_t room2, std::uint32_t differ) {
  if (differ == std::min(room1, room2) || text1[differ] == text2[differ] ||
      (isLineTerminator(text1[differ]) && isLineTerminator(text2[differ]))) {
    return {};  // no difference before the line end, or none in sight
  }
  // Back to the blank before the word that holds or follows the first
  // difference (commas taken along, as they may join digits): every word
  // before that blank ends there in both files alike.
  std::uint32_t from = differ;
  while (from > 0 &&
         (isWordByte(text1[from - 1]) || text1[from - 1] == kComma)) {
    --from;
  }
  if (from == 0) {
    return {};  // the difference lies in the first words
  }
  const std::uint32_t word = skipBlanks(text1, from, differ);
  if (kByteClass[text1[word]] != ByteClass::kWordByte ||
      kByteClass[text2[word]] != ByteClass::kWordByte) {
    return {};
  }
  const std::uint32_t length1 = wordLengthWithin(text1, word, room1);
  const std::uint32_t length2 = wordLengthWithin(text2, word, room2);
  if (length1 == 0 || length2 == 0) {
    return {};
  }
  return {word, length1, length2};
}

DifferingWords findDifferingWords(const unsigned char* text1,
                                  const unsigned char* text2,
                                  std::uint32_t room1, std::uint32_t room2) {
  return differingWordsAt(
      text1, text2, room1, room2,
      findLineEndOrDifference(text1, text2, 0, std::min(room1, room2)));
}

}  // namespace

// skipToLastEqualWord, and else the move to the first differing word pair,
// from one scan of the two lines.
bool skipEqualWords(RunState& run) {
  PageReader& r1 = run.readers[0];
  PageReader& r2 = run.readers[1];
  ReaderPosition& a = r1.position;
  ReaderPosition& b = r2.position;
  if (a.atLineEnd || b.atLineEnd || a.tokenStart >= r1.bufLen ||
      b.tokenStart >= r2.bufLen) {
    return false;
  }
  const unsigned char* text1 = r1.bytes() + a.tokenStart;
  const unsigned char* text2 = r2.bytes() + b.tokenStart;
  const std::uint32_t room1 = r1.bufLen - a.tokenStart;
  const std::uint32_t room2 = r2.bufLen - b.tokenStart;
  const std::uint32_t room = std::min(room1, room2);
  const std::uint32_t differ = findLineEndOrDifference(text1, text2, 0, room);
  if (differ == room) {
    return false;
  }
  if (isLineTerminator(text1[differ]) && isLineTerminator(text2[differ])) {
    return standOnLastEqualWord(a, b, text1, differ);
  }
  const DifferingWords words =
      differingWordsAt(text1, text2, room1, room2, differ);
  if (words.at == 0) {
    return false;
  }
  a.tokenStart += words.at;
  b.tokenStart += words.at;
  a.tokenLength = words.length1;
  b.tokenLength = words.length2;
  return true;
}

bool peekPastEqualWords(const PageReader& r1, PeekedToken& a,
                        const PageReader& r2, PeekedToken& b) {
  if (a.kind != PeekedToken::Kind::kWord ||
      b.kind != PeekedToken::Kind::kWord) {
    return false;
  }
  const DifferingWords words =
      findDifferingWords(r1.bytes() + a.start, r2.bytes() + b.start,
                         r1.bufLen - a.start, r2.bufLen - b.start);
  if (words.at == 0) {
    return false;
  }
  a = {PeekedToken::Kind::kWord, a.start + words.at, words.length1};
  b = {PeekedToken::Kind::kWord, b.start + words.at, words.length2};
  return true;
}

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

}  // namespace

EqualLines findEqualLines(const RunState& run, bool stopAtTags) {
  EqualLines found;
  const PageReader& r1 = run.readers[0];
  const PageReader& r2 = run.readers[1];
  const ReaderPosition& a = r1.position;
  const ReaderPosition& b = r2.position;
  if (run.settings.wordMode || a.atLineEnd || b.atLineEnd ||
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

bool skipToLastLineEndInBuffer(RunState& run, int fileNo) {
  PageReader& r = reader(run, fileNo);
  ReaderPosition& pos = r.position;
  const unsigned char* text = r.bytes();
  if (!pos.atLineEnd || run.settings.wordMode ||
      std::uint64_t{pos.tokenStart} + pos.tokenLength > r.bufLen ||
      text[pos.tokenStart] == kFf) {
    return false;
  }
  std::uint32_t last = pos.tokenStart;
  std::uint32_t lastLength = pos.tokenLength;
  std::int64_t passed = 0;
  for (;;) {
    std::uint32_t at = last + lastLength;
    if (at < r.bufLen && kByteClass[text[at]] != ByteClass::kLineEnd) {
      at = skipBlanks(text, at, r.bufLen);
    }
    if (at >= r.bufLen) {
      return false;
    }
    const unsigned char c = text[at];
    if (kByteClass[c] == ByteClass::kWordByte) {
      // nextToken would read the word whole: its end must be in the bytes.
      if (wordLengthWithin(text, at, r.bufLen) == 0) {
        return false;
      }
      break;
    }
    if (kByteClass[c] != ByteClass::kLineEnd) {
      break;  // a page end
    }
    if (c == kCr && at + 1 >= r.bufLen) {
      return false;
    }
    last = at;
    lastLength = c == kCr && text[at + 1] == kLf ? 2 : 1;
    ++passed;
  }
  pos.tokenStart = last;
  pos.tokenLength = lastLength;
  pos.lineCount = static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{pos.lineCount} + passed, INT32_MAX));
  return true;
}

PeekedToken peekToken(const PageReader& r, const ReaderPosition& pos) {
  using Kind = PeekedToken::Kind;
  const std::uint64_t end = std::uint64_t{pos.tokenStart} + pos.tokenLength;
  if (pos.tokenLength == 0 || end > r.bufLen ||
      (pos.atLineEnd && r.bytes()[pos.tokenStart] == kFf)) {
    return {};
  }
  return {pos.atLineEnd ? Kind::kLineEnd : Kind::kWord, pos.tokenStart,
          pos.tokenLength};
}

PeekedToken peekNextToken(const PageReader& r, const PeekedToken& token) {
  using Kind = PeekedToken::Kind;
  const unsigned char* text = r.bytes();
  const std::uint32_t at =
      skipBlanks(text, token.start + token.length, r.bufLen);
  if (at >= r.bufLen) {
    return {};
  }
  const unsigned char c = text[at];
  switch (kByteClass[c]) {
    case ByteClass::kLineEnd:
      if (c != kCr) {
        return {Kind::kLineEnd, at, 1};
      }
      if (at + 1 >= r.bufLen) {
        return {};
      }
      return {Kind::kLineEnd, at, text[at + 1] == kLf ? 2u : 1u};
    case ByteClass::kWordByte: {
      const std::uint32_t length = wordLengthWithin(text, at, r.bufLen);
      if (length == 0) {
        return {};
      }
      return {Kind::kWord, at, length};
    }
    case ByteClass::kPageEnd:
    case ByteClass::kBlank:
      break;
  }
  return {};
}

PeekedToken peekLineEnd(const PageReader& r, const PeekedToken& token) {
  using Kind = PeekedToken::Kind;
  PeekedToken lineEnd = token;
  if (token.kind == Kind::kWord) {
    const std::uint32_t at = findLineEnd(r.bytes(), token.start, r.bufLen);
    if (at >= r.bufLen) {
      return {};
    }
    // The token after the word before it is this line end.
    lineEnd = peekNextToken(r, {Kind::kWord, at, 0});
  }
  if (lineEnd.kind != Kind::kLineEnd) {
    return {};
  }
  // The token after it lies before the next line's terminator, or is that
  // terminator; the byte after that (the LF of a CR LF) is in the buffer.
  const std::uint32_t next =
      findLineEnd(r.bytes(), lineEnd.start + lineEnd.length, r.bufLen);
  return next + 1 < r.bufLen ? lineEnd : PeekedToken{};
}

void saveWordMark(RunState& run) {
  savePositions(run, run.marks.wordMark);
}

void restoreWordMark(RunState& run) {
  restorePositions(run, run.marks.wordMark);
}

void saveWordCounts(RunState& run) {
  run.marks.wordMark.counts = run.counters.words;
}

void restoreWordCounts(RunState& run) {
  run.counters.words = run.marks.wordMark.counts;
}

void saveLineMark(RunState& run) {
  savePositions(run, run.marks.lineMark);
  run.marks.lineMark.counts = run.counters.words;
}

void restoreLineMark(RunState& run) {
  restorePositions(run, run.marks.lineMark);
  run.counters.words = run.marks.lineMark.counts;
}

void swapLineMarks(RunState& run) {
  std::swap(run.marks.lineMark, run.marks.altLineMark);
}

void moveMarksToCurrent(RunState& run, int fileNo) {
  const int i = fileIndex(fileNo);
  const std::uint32_t current = run.readers[i].position.tokenStart;
  run.marks.wordMark.files[i].tokenStart = current;
  run.marks.lineMark.files[i].tokenStart = current;
  run.marks.altLineMark.files[i].tokenStart = current;
}
