// The token reader: walks each report file token by token (a word, a line
// end or a page end), read in place in its page buffer. checkpoints.h saves
// and restores its positions.
//
// Owns the positions in RunState::readers. Used by the
// comparison and the listing. nextToken may refill the buffer (page_buffer.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/run_state.h"

// Puts the reader of file `side` at the start of its freshly opened file.
void resetReader(RunState& run, Side side);

// Readies a comparison of the two open, reset files: zero counters, an empty
// pending difference and saved copy, no recorded page pair, every checkpoint at
// the start, and the first block of each file read into its page buffer.
// The driver calls it once both files are open; so do the tests and the
// benchmarks that compare without the driver.
void startComparison(RunState& run);

// Moves file `side` to its next token. In word mode line ends are passed
// over (and counted). At the final page end of a fully read file the token
// length becomes 0 and the position stays there for good.
void nextToken(RunState& run, Side side);

// True when the current token of file `side` is a line end or page end.
inline bool atLineEnd(RunState& run, Side side) {
  return position(run, side).atLineEnd;
}

// The bytes of the current token of file `side` in its page buffer, cut to
// the buffer. Valid until the next call that may refill.
struct TokenBytes {
  const unsigned char* data;
  std::uint32_t length;
};

// The bytes of the token that `pos` (the current position or a checkpoint's)
// holds in the page buffer of `r`, cut to the buffer.
inline TokenBytes tokenAt(const PageReader& r, const ReaderPosition& pos) {
  const std::uint32_t start = std::min(pos.tokenStart, kPageBufferSize);
  const std::uint32_t length =
      std::min(pos.tokenLength, kPageBufferSize - start);
  return {r.bytes() + start, length};
}

inline TokenBytes currentToken(RunState& run, Side side) {
  const PageReader& r = reader(run, side);
  return tokenAt(r, r.position);
}

// nextToken for file 1, then file 2.
void nextTokenBoth(RunState& run);

// Passes what stands before the first page of file `side`: a leading plot
// section, a leading form feed and the CR / CR LF pairs right after it; then
// saves the positions at Checkpoint::kWordStart. Leaves tokenLength, lineCount
// and atLineEnd as they are.
void skipLeadIn(RunState& run, Side side);

// Moves file `side` on to the line end or page end that ends its current
// line, exactly as calling nextToken until atLineEnd is set would (and
// stays when it is set already). In line mode the words in between are
// passed without being read one by one.
void skipToLineEnd(RunState& run, Side side);
