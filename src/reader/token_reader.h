// The token reader: walks each report file token by token (a word, a line
// end or a page end), read in place in its page buffer, and keeps the three
// marks that hold both files' positions for look-ahead and going back.
//
// Owns the positions in RunState::readers and RunState::marks. Used by the
// comparison and the listing. nextToken may refill the buffer (page_buffer.h).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/run_state.h"

// Moves file `fileNo` to its next token. In word mode line ends are passed
// over (and counted). At the final page end of a fully read file the token
// length becomes 0 and the position stays there for good.
void nextToken(RunState& run, int fileNo);

// True when the current token of file `fileNo` is a line end or page end.
inline bool atLineEnd(RunState& run, int fileNo) {
  return position(run, fileNo).atLineEnd;
}

// The bytes of the current token of file `fileNo` in its page buffer, cut to
// the buffer. Valid until the next call that may refill.
struct TokenBytes {
  const unsigned char* data;
  std::uint32_t length;
};

// The bytes of the token that `pos` (the current position or a mark's)
// holds in the page buffer of `r`, cut to the buffer.
inline TokenBytes tokenAt(const PageReader& r, const ReaderPosition& pos) {
  const std::uint32_t start = std::min(pos.tokenStart, kPageBufferSize);
  const std::uint32_t length =
      std::min(pos.tokenLength, kPageBufferSize - start);
  return {r.bytes() + start, length};
}

inline TokenBytes currentToken(RunState& run, int fileNo) {
  const PageReader& r = reader(run, fileNo);
  return tokenAt(r, r.position);
}

// A token as nextToken reads it in line mode, told from the valid bytes of
// the buffer alone, without a refill: a word, a line end (LF, CR LF or a
// lone CR), or kUnknown for a page end and for a token (or the byte after it
// that decides its length) beyond the valid bytes.
struct PeekedToken {
  enum class Kind { kWord, kLineEnd, kUnknown };
  Kind kind = Kind::kUnknown;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
};

// The token `pos` stands on.
PeekedToken peekToken(const PageReader& r, const ReaderPosition& pos);

// The token after `token` (which must not be kUnknown).
PeekedToken peekNextToken(const PageReader& r, const PeekedToken& token);

// Line mode, file `fileNo` on a line end (not a page end): moves it to the
// last line end of the run of blank lines it stands in, where nextToken
// would leave it just before reading the token after the run, and returns
// true, when the run and that token lie in the valid bytes. Otherwise
// changes nothing and returns false. Never refills.
bool skipToLastLineEndInBuffer(RunState& run, int fileNo);

// Both tokens words: moves them, as skipEqualWords moves the files, to the
// word pair in which the texts from them on first differ, and returns true;
// false, with nothing moved, when skipEqualWords would not move.
bool peekPastEqualWords(const PageReader& r1, PeekedToken& a,
                        const PageReader& r2, PeekedToken& b);

// The line end of the line `token` lies on, when it can be told from the
// valid bytes and the bytes that decide the token after it lie in them too
// (the next line's terminator and the byte after it): a line end, or
// kUnknown when the line runs into a page end or the bytes run out first.
// All that comparing the line with a trial reads.
PeekedToken peekLineEnd(const PageReader& r, const PeekedToken& token);

// nextToken for file 1, then file 2.
void nextTokenBoth(RunState& run);

// Passes what stands before the first page of file `fileNo`: a leading plot
// section, a leading form feed and the CR / CR LF pairs right after it; then
// saves wordMark. Leaves tokenLength, lineCount and atLineEnd as they are.
void skipLeadIn(RunState& run, int fileNo);

// Moves file `fileNo` on to the line end or page end that ends its current
// line, exactly as calling nextToken until atLineEnd is set would (and
// stays when it is set already). In line mode the words in between are
// passed without being read one by one.
void skipToLineEnd(RunState& run, int fileNo);

// When the rest of the current line reads the same in both files (the same
// bytes from each file's current word up to a line end or page end, all of
// them in the buffers), moves both files to the last word of that line,
// where walking the line pair word by word with nextTokenBoth would leave
// them, and returns true. Otherwise changes nothing and returns false. Never
// refills, so no offset moves.
bool skipToLastEqualWord(RunState& run);

// Both files on a word, in line mode: moves both files over the word pairs
// that read the same in both files, as far as walking them pair by pair
// with nextTokenBoth would, without a refill: to the last words of the
// line when the rest of the line reads the same (skipToLastEqualWord),
// else to the word pair in which the first differing byte lies, when both
// its words are in the buffers. True when the files moved. Never refills,
// so no offset moves.
bool skipEqualWords(RunState& run);

// A run of line pairs that read the same in both files, with the runs of
// blank lines between them (findEqualLines).
struct EqualLines {
  std::int32_t count = 0;  // line pairs in the run
  // In each file, where the last pair's first word, last word and line end
  // stand, as nextToken would have read them: lineCount counts the line ends
  // before the pair, and those of the pair itself for lineEnd.
  std::array<ReaderPosition, 2> firstWord;
  std::array<ReaderPosition, 2> lastWord;
  std::array<ReaderPosition, 2> lineEnd;
  // Whether the run ends with runs of blank lines in both files after the
  // last pair; then the line ends of each file's first and last blank line.
  bool blankAfter = false;
  std::array<ReaderPosition, 2> firstBlank;
  std::array<ReaderPosition, 2> lastBlank;
};

// Line mode, both files on a word: the run of line pairs, from the current
// one on, whose bytes are the same in both files from the first word
// through the line end (LF, CR LF or a lone CR), with the byte after the
// line end in both buffers. Between two pairs may stand a run of blank
// lines in each file, of any lengths; the run goes on after them only when
// both files go on with a word. A pair after the first must not begin with
// "D&T=" or "P&V=" when `stopAtTags`. The run stops at anything else (a
// difference, a page end, a blank line in one file only, the end of the
// bytes in the buffers). A count of 0 when the current pair is no such
// pair. Reads the buffers only: never refills, changes nothing.
EqualLines findEqualLines(const RunState& run, bool stopAtTags);

// Both files' positions to and from wordMark.
void saveWordMark(RunState& run);
void restoreWordMark(RunState& run);
// The four word-level counters to and from wordMark's copy.
void saveWordCounts(RunState& run);
void restoreWordCounts(RunState& run);
// Both files' positions and the four counters to and from lineMark.
void saveLineMark(RunState& run);
void restoreLineMark(RunState& run);
// Exchanges lineMark and altLineMark, positions and counters.
void swapLineMarks(RunState& run);

// Sets the tokenStart held by wordMark, lineMark and altLineMark for file
// `fileNo` to its current tokenStart, so that compaction may drop the text
// before the current position.
void moveMarksToCurrent(RunState& run, int fileNo);
