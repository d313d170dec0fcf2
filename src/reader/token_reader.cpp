#include "reader/token_reader.h"

#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "reader/page_buffer.h"

namespace {

constexpr unsigned char kComma = ',';

constexpr std::array<ByteClass, 256> makeByteClasses() {
  std::array<ByteClass, 256> classes{};
  for (int b = 0; b < 256; ++b) {
    const bool blank = b <= 32 || b == 127 || b == kComma;
    classes[b] = blank ? ByteClass::kBlank : ByteClass::kWordStart;
  }
  classes[kLf] = ByteClass::kLineEnd;
  classes[kCr] = ByteClass::kLineEnd;
  classes[kFf] = ByteClass::kPageEnd;
  return classes;
}

// The class of every byte. A word goes on over kWordStart bytes and over a
// comma between two digits; every other byte ends it.
constexpr std::array<ByteClass, 256> kByteClass = makeByteClasses();

bool isWordByte(unsigned char c) {
  return kByteClass[c] == ByteClass::kWordStart;
}
bool isDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}

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
      std::uint64_t eight;
      std::memcpy(&eight, buf + i, sizeof eight);
      const std::uint64_t notSpace = eight ^ 0x2020202020202020;
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
      case ByteClass::kWordStart:
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
