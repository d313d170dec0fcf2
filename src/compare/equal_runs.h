// A shortcut of the line alignment: a run of line pairs that read the same
// byte for byte in both files, passed in one step.
//
// The plain step it replaces: compareLinePair (line_align.h) on each pair,
// which compares the pair word by word, finds every word equal and lists
// nothing, and passes the runs of blank lines between pairs, which match
// whatever their lengths. Why the same: equal bytes are equal words, so each
// such pair only adds one to linesCompared; what is left is where the files,
// the checkpoints and the counters stand after the last pair, and
// passEqualLines sets them exactly there, as the steps would leave them. It
// takes only pairs whose bytes, and the bytes that decide the tokens after
// them, lie in the page buffers, so no refill is skipped that the steps would
// have made; it stops before a tagged line when head lines are skipped, since
// the steps pass those another way. Taken only while RunValues::shortcuts is
// on.
#pragma once

#include <array>
#include <cstdint>

#include "core/reader_state.h"

struct RunState;

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

// Passes the current line pair, and the pairs after it, while they read the
// same in both files (findEqualLines), counting them as compared and
// leaving the files, the checkpoints and the counters as comparing them one by
// one would. False, with nothing changed, when the current pair does not
// read the same. Never refills before its last nextToken.
bool passEqualLines(RunState& run);
