#include "reader/peek.h"

#include <algorithm>
#include <cstdint>

#include "reader/bytes.h"
#include "reader/words.h"

namespace {

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

bool standBeforeLineEndInBuffer(RunState& run, Side side) {
  const PageReader& r = reader(run, side);
  ReaderPosition& pos = position(run, side);
  if (pos.atLineEnd || readsWords(run)) {
    return false;
  }
  const std::uint64_t next = std::uint64_t{pos.tokenStart} + pos.tokenLength;
  if (next >= r.bufLen) {
    return false;
  }
  const std::uint32_t end =
      findLineEnd(r.bytes(), static_cast<std::uint32_t>(next), r.bufLen);
  if (end >= r.bufLen) {
    return false;
  }
  pos.tokenStart = end;
  pos.tokenLength = 0;
  return true;
}

bool skipToLastEqualWord(RunState& run) {
  PageReader& r1 = run.readers[Side::kOne];
  PageReader& r2 = run.readers[Side::kTwo];
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

// skipToLastEqualWord, and else the move to the first differing word pair,
// from one scan of the two lines.
bool skipEqualWords(RunState& run) {
  PageReader& r1 = run.readers[Side::kOne];
  PageReader& r2 = run.readers[Side::kTwo];
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

bool skipToLastLineEndInBuffer(RunState& run, Side side) {
  PageReader& r = reader(run, side);
  ReaderPosition& pos = r.position;
  const unsigned char* text = r.bytes();
  if (!pos.atLineEnd || readsWords(run) ||
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
