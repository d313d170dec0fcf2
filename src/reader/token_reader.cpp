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
      const std::uint32_t start = r.position.tokenStart;
      std::uint32_t i = start + length;
      if (i < r.bufLen && isWordByte(r.pageBuffer[i])) {
        do {
          ++i;
        } while (i < r.bufLen && isWordByte(r.pageBuffer[i]));
        prev = r.pageBuffer[i - 1];
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

// The length of the common start of a[0 .. room - 1] and b[0 .. room - 1]
// up to the first line terminator, which must stand at the same place in
// both: that place, or `room` when the texts differ before it or no
// terminator comes first. Eight bytes at a time while they are equal and
// none of them is below 14 (LF, FF and CR are).
std::uint32_t equalLineLength(const unsigned char* a, const unsigned char* b,
                              std::uint32_t room) {
  std::uint32_t i = 0;
  for (;;) {
    while (room - i >= 8) {
      const std::uint64_t x = loadEight(a + i);
      if (x != loadEight(b + i) || hasByteBelow14(x)) {
        break;
      }
      i += 8;
    }
    const std::uint32_t stop = std::min(room, i + 8);
    for (; i < stop; ++i) {
      const bool endA = isLineTerminator(a[i]);
      if (endA || isLineTerminator(b[i])) {
        return endA && isLineTerminator(b[i]) ? i : room;
      }
      if (a[i] != b[i]) {
        return room;
      }
    }
    if (i == room) {
      return room;
    }
  }
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
      pos.tokenStart =
          skipBlanks(r.pageBuffer.data(), pos.tokenStart, r.bufLen);
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
        pos.tokenLength = wordLength(run, fileNo, c);
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
  if (!pos.atLineEnd && !run.settings.wordMode) {
    // The bytes up to the terminator are words and blanks, all in the
    // buffer, so nextToken would pass them without a refill: stand just
    // before the terminator and let nextToken take it as it would.
    const std::uint64_t next = std::uint64_t{pos.tokenStart} + pos.tokenLength;
    if (next < r.bufLen) {
      const std::uint32_t end = findLineEnd(
          r.pageBuffer.data(), static_cast<std::uint32_t>(next), r.bufLen);
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

bool skipToLastEqualWord(RunState& run) {
  PageReader& r1 = run.readers[0];
  PageReader& r2 = run.readers[1];
  ReaderPosition& a = r1.position;
  ReaderPosition& b = r2.position;
  if (a.atLineEnd || b.atLineEnd || a.tokenStart >= r1.bufLen ||
      b.tokenStart >= r2.bufLen) {
    return false;
  }
  const unsigned char* text = r1.pageBuffer.data() + a.tokenStart;
  const std::uint32_t room =
      std::min(r1.bufLen - a.tokenStart, r2.bufLen - b.tokenStart);
  const std::uint32_t lineEnd =
      equalLineLength(text, r2.pageBuffer.data() + b.tokenStart, room);
  if (lineEnd == room) {
    return false;
  }
  // The line's last word, found backwards: a word is a run of word bytes and
  // of commas between two digits; the text starts with a word.
  std::uint32_t wordEnd = lineEnd;
  while (wordEnd > 0 && kByteClass[text[wordEnd - 1]] == ByteClass::kBlank) {
    --wordEnd;
  }
  if (wordEnd == 0) {
    return false;
  }
  std::uint32_t wordStart = wordEnd - 1;
  while (wordStart > 0) {
    const unsigned char c = text[wordStart - 1];
    const bool inWordComma = c == kComma && wordStart >= 2 &&
                             isDigit(text[wordStart - 2]) &&
                             isDigit(text[wordStart]);
    if (!isWordByte(c) && !inWordComma) {
      break;
    }
    --wordStart;
  }
  if (wordStart == 0) {
    return false;  // the current words are the last ones already
  }
  a.tokenStart += wordStart;
  b.tokenStart += wordStart;
  a.tokenLength = wordEnd - wordStart;
  b.tokenLength = wordEnd - wordStart;
  return true;
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
