// Word and number comparison: whether the current words of the two files
// count as the same, and how they differ when they don't. Numbers are
// compared by value rounded to four decimals, with the tolerance of the
// settings, and small differences (below 0.1%, or in the last written
// decimal place) are excused unless showAll is set.
//
// Writes the four word-level counters and the pending difference. Called by
// the alignment (line_align.h).
#pragma once

struct RunState;

// Compares the current tokens of both files. Returns true when they count as
// the same (equal text, within the tolerance, or excused; an excused
// difference adds 1 to lastDigitCount or tinyDiffCount). Otherwise adds 1 to
// wordDiffCount or numericDiffCount, appends both words to the pending
// difference and returns false. Always moves both files on by one token.
bool compareWords(RunState& run);
