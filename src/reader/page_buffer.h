// The page reader: each report file is held in a fixed 30000-byte window, its
// page buffer, and served byte by byte by offset from the current token.
// The window is refilled on demand, keeping everything from the earliest
// position that the cursor or a checkpoint still holds; plot sections,
// whitespace codes and hidden lines are removed as the text comes in
// (skipPlot), SUB bytes at the end are dropped and every file ends with a page
// end (FF).
//
// Owns RunState::readers. Used by the token reader, the comparison and the
// listing. Every call that may refill (fillBuffer, charAt, matchAt,
// bothMatchAt, atPageEndMayRefill, nextToken) may shift all offsets of that
// file down: take tokenStart afresh after such a call.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/run_state.h"

// Compacts the buffer of file `side` (dropping the bytes before the
// smallest protected position) and reads more of the file, filtering what it
// reads. Does nothing once the file has been read to its end.
void fillBuffer(RunState& run, Side side);

// A page end refills the buffer only when that frees at least this much of
// it (see fillBufferAtPageEnd).
inline constexpr std::uint32_t kMinPageEndFill = kPageBufferSize / 10;

// The fill of a page end (nextToken): fillBuffer, unless the fill could
// free less than a tenth of the window and more text follows the page end
// in the buffer. A page end every few bytes would otherwise move the whole
// window and read a few bytes each time; the bytes are read when they are
// asked for, or at a later page end. What the filters remove does not
// depend on how the file is read, so this holds with them on too.
void fillBufferAtPageEnd(RunState& run, Side side);

// Whether fillBufferAtPageEnd, with file `side` on the page end at offset
// `pageEnd` and `smallest` the smallest position compaction keeps, puts the
// fill off. For the shortcuts that pass page ends without reading them
// token by token: they pass only page ends whose fill is put off (or that
// would find the file read to its end), so the window stays as it is.
inline bool putsOffPageEndFill(const RunState& run, Side side,
                               std::uint32_t pageEnd, std::uint32_t smallest) {
  const PageReader& r = run.readers[side];
  const std::uint32_t next = pageEnd + 1;
  // A byte after the page end that is no SUB stays whatever the end of the
  // file drops, so this page end cannot be the file's last one.
  if (!run.values.shortcuts || r.atEof || next >= r.bufLen ||
      r.bytes()[next] == kSub) {
    return false;
  }
  const std::uint32_t freed =
      smallest + (kMaxRead - std::min(r.bufLen, kMaxRead));
  return freed < kMinPageEndFill;
}

// The slow path of charAt: the byte lies outside the valid bytes.
unsigned char charAtSlow(RunState& run, Side side, std::int32_t offset);

// Returns the byte `offset` bytes after the current token start of file
// `side`; before the buffer start it returns 0, past the end of a fully
// read file a form feed (12). May refill the page buffer, which shifts every
// offset held for this file: take tokenStart afresh after the call. Ends the
// run with "Page too large to fit in buffer" when the byte cannot be brought
// into the window.
inline unsigned char charAt(RunState& run, Side side, std::int32_t offset) {
  PageReader& r = reader(run, side);
  std::int64_t p = std::int64_t{r.position.tokenStart} + offset;
  if (p >= 0 && p < std::int64_t{r.bufLen}) {
    return r.bytes()[static_cast<std::size_t>(p)];
  }
  return charAtSlow(run, side, offset);
}

// True when the file is read to its end and the current token is its final
// form feed (or lies beyond it).
inline bool atFileEnd(RunState& run, Side side) {
  const PageReader& r = reader(run, side);
  return r.atEof && std::uint64_t{r.position.tokenStart} + 1 >= r.bufLen;
}

// True when file `side` stands on a page end. Reads the current byte with
// charAt, so it may refill (see there).
inline bool atPageEndMayRefill(RunState& run, Side side) {
  return charAt(run, side, 0) == kFf;
}

// Removes `count` bytes at `pos` from the buffer of file `side` (cut to the
// valid bytes; nothing when pos is at or past them) and moves the positions:
// the current position and the word checkpoint's always, the line and pair
// checkpoints' only while lines are compared.
void deleteBytes(RunState& run, Side side, std::uint32_t pos,
                 std::uint32_t count);

// True when the bytes at `offset`, `offset` + 1, ... from the current token
// of file `side` equal `text`. May refill (see charAt).
bool matchAt(RunState& run, Side side, std::int32_t offset,
             std::string_view text);

// matchAt for file 1 and, only when that holds, for file 2.
bool bothMatchAt(RunState& run, std::int32_t offset, std::string_view text);
