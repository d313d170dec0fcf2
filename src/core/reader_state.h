// The data of the report reader: each file's page buffer (a fixed window over
// the file), its reading position, and the three checkpoints that hold copies
// of both files' positions for look-ahead and going back. page_buffer.h and
// token_reader.h hold the operations on it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/settings.h"
#include "core/side.h"

inline constexpr std::uint32_t kPageBufferSize = 30000;
// A read never brings a buffer above this many bytes; the byte after them is
// free for the search terminator or the final form feed.
inline constexpr std::uint32_t kMaxRead = kPageBufferSize - 1;
// The storage a window moves forward in: when bytes are dropped from its
// front, the window's start moves up instead of the kept bytes moving down,
// and only when the window reaches the end of its storage are the kept bytes
// moved back to the start, once per two kPageBufferSize bytes read or more.
inline constexpr std::uint32_t kWindowStorageSize = 3 * kPageBufferSize;

inline constexpr unsigned char kLf = 10;
inline constexpr unsigned char kFf = 12;
inline constexpr unsigned char kCr = 13;
inline constexpr unsigned char kSub = 26;
inline constexpr unsigned char kPlotMarker = 21;

// Where a file stands: the current token (a word, line end or page end) as an
// offset and length in the page buffer, the line ends passed since the start
// of the file, and whether the token is a line end or page end.
struct ReaderPosition {
  std::uint32_t tokenStart = 0;
  std::uint32_t tokenLength = 0;
  std::int32_t lineCount = 0;
  bool atLineEnd = true;
};

// The page buffer of one file: a window of kPageBufferSize bytes that starts
// `windowStart` bytes into `storage`. Every offset (bufLen, tokenStart, the
// checkpoints) counts from the window's start; bytes() is its first byte.
struct PageReader {
  std::array<unsigned char, kWindowStorageSize> storage{};
  std::uint32_t windowStart =
      0;                     // at most kWindowStorageSize - kPageBufferSize
  std::uint32_t bufLen = 0;  // valid bytes from offset 0
  bool atEof = false;        // the file is read to its end and closed
  // The page the file stands on, from 1 (counted as each page is prepared
  // for comparing); 0 before the first.
  std::int64_t pageNumber = 0;
  ReaderPosition position;  // the current token
  // Bytes a fill handed back (the last, possibly partial, line, or the line
  // of a plot marker met too late in the buffer). They stay in the window's
  // storage at offset heldBackAt, at or after bufLen, and are served, exactly
  // as they were, to the next read before any more of the file.
  std::uint32_t heldBackAt = 0;
  std::uint32_t heldBackLen = 0;

  unsigned char* bytes() { return storage.data() + windowStart; }
  const unsigned char* bytes() const { return storage.data() + windowStart; }
};

// A saved copy of both files' positions and the four word-level counters.
struct Mark {
  BySide<ReaderPosition> files;
  WordCounts counts;
};

// The places a comparison goes back to, each named after what it keeps.
// reader/checkpoints.h saves and restores them.
enum class Checkpoint : unsigned char {
  // Before the word pair being compared: the word trials start again from
  // here. Between word pairs, the page trims and the blank-run skip keep a
  // position here too; compaction always keeps its bytes.
  kWordStart,
  // Before the line pair being compared, then, once the pair differed, after
  // it: where the next trial starts reading.
  kLineStart,
  // Before a line pair that differed, while kLineStart serves the trials
  // after it: the extra-line trials and the look-ahead start from here.
  kPairStart,
};

inline constexpr std::size_t kCheckpointCount = 3;

// One Mark per checkpoint, read with a Checkpoint.
struct Checkpoints {
  std::array<Mark, kCheckpointCount> marks{};

  Mark& operator[](Checkpoint at) {
    return marks[static_cast<std::size_t>(at)];
  }
  const Mark& operator[](Checkpoint at) const {
    return marks[static_cast<std::size_t>(at)];
  }
};
