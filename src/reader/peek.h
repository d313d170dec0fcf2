// Shortcuts of the token reader: reads of tokens from the bytes already in
// a page buffer, without a refill. Each stands for a walk with nextToken
// (token_reader.h), the plain step, and gives what that walk gives, or says
// it cannot tell and changes nothing. Why the same: nextToken reads the
// window and nothing else as long as every byte that decides a token (its
// bytes, and the byte after it, which ends it or tells a CR LF from a lone
// CR) lies in the valid bytes; then no refill happens and no offset moves,
// and a token read here from those bytes, by the rules of words.h, is the
// token nextToken would read. Each function checks exactly that before it
// answers.
//
// Used by the comparison's shortcuts (compare/quick_trials.h,
// compare/equal_runs.h), by the line alignment and by skipToLineEnd; none
// of them is used while RunValues::shortcuts is off.
#pragma once

#include <cstdint>

#include "core/run_state.h"

// A token as nextToken reads it in line mode, told from the valid bytes of
// the buffer alone: a word, a line end (LF, CR LF or a lone CR), or kUnknown
// for a page end and for a token (or the byte after it that decides its
// length) beyond the valid bytes.
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

// The line end of the line `token` lies on, when it can be told from the
// valid bytes and the bytes that decide the token after it lie in them too
// (the next line's terminator and the byte after it): a line end, or
// kUnknown when the line runs into a page end or the bytes run out first.
// All that comparing the line with a trial reads.
PeekedToken peekLineEnd(const PageReader& r, const PeekedToken& token);

// Both tokens words: moves them, as skipEqualWords moves the files, to the
// word pair in which the texts from them on first differ, and returns true;
// false, with nothing moved, when skipEqualWords would not move.
bool peekPastEqualWords(const PageReader& r1, PeekedToken& a,
                        const PageReader& r2, PeekedToken& b);

// Line mode, file `side` on a word: when the terminator that ends its
// line lies in the valid bytes, stands just before it (tokenLength 0), so
// that the next nextToken reads that terminator as walking the words would
// have, and returns true. Otherwise changes nothing and returns false.
bool standBeforeLineEndInBuffer(RunState& run, Side side);

// Line mode, file `side` on a line end (not a page end): moves it to the
// last line end of the run of blank lines it stands in, where nextToken
// would leave it just before reading the token after the run, and returns
// true, when the run and that token lie in the valid bytes. Otherwise
// changes nothing and returns false.
bool skipToLastLineEndInBuffer(RunState& run, Side side);

// When the rest of the current line reads the same in both files (the same
// bytes from each file's current word up to a line end or page end, all of
// them in the buffers), moves both files to the last word of that line,
// where walking the line pair word by word with nextTokenBoth would leave
// them, and returns true. Otherwise changes nothing and returns false.
bool skipToLastEqualWord(RunState& run);

// Both files on a word, in line mode: moves both files over the word pairs
// that read the same in both files, as far as walking them pair by pair
// with nextTokenBoth would: to the last words of the line when the rest of
// the line reads the same (skipToLastEqualWord), else to the word pair in
// which the first differing byte lies, when both its words are in the
// buffers. True when the files moved.
bool skipEqualWords(RunState& run);
