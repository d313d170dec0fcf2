// A shortcut of the line alignment: a line pair and its one-line trials
// judged from word records (core/word_records.h), each line's words read
// once, instead of from the page buffers word by word for every trial.
//
// The plain step it replaces: compareLinePair (line_align.h) from the
// comparison of the pair on, which compares the pair with compareLineWords
// and, when it differs, runs the trials (the next pair, the next line of
// each file against the other file's line) as real comparisons taken back
// through the checkpoints, and lists the pair as a changed line or one line as
// an extra line. Why the same: every trial is taken back whole, so only its
// answer counts, and a line pair matches exactly when both lines hold as
// many words and each word pair counts as the same (the first pair that
// does not is counted, and a line longer than the other counts its extra
// words); the records give those answers with the word rules of the
// comparison (judgeReadWords on what scanNumber reads). What is kept, the
// pair's comparison (with its word-level trials: a changed word, an extra
// word in either line) or the extra line's words, is then done once more
// from the records, step for step as compareLineWords and collectRestOfLine
// do it, through the same counting, listing and recording calls, with each
// file standing on the word being listed; the files and the line and pair
// checkpoints are left where the plain step leaves them. It is taken only
// when every byte the plain step would read (both lines of the pair, the
// next line of each file when a trial reads it, and the token after each)
// lies in the page buffers, so the plain step would not have refilled; never
// when a line of the pair or a next line runs into a page end, or a page end
// follows the pair (the token after a next line may be one, as for the
// quick trials: the fill a page end may make changes no result), nor when the
// longer look-ahead may look for a block (no one-line trial matched and
// Settings::lookahead is above 1). The word checkpoint is left where the plain
// step's last comparison leaves it. Taken only while RunValues::shortcuts is
// on.
#pragma once

#include <cstddef>

#include "core/number.h"

struct RunState;

// Line mode, both files on a word, after the runs of equal lines were
// looked for: compares the current line pair and settles it as
// compareLinePair would, and returns true; false, with nothing changed,
// when the records cannot tell (see above).
bool takeLinePairFromRecords(RunState& run);

// scanNumber for the forms most words of a report take, in one pass: a
// text that is no number because it starts, after at most one sign, with a
// byte that no number starts with, and the common number scanPlainUnits
// reads whole ([sign] digits [. digits] [E [sign] digits], commas passed
// over, at most 18 digits, an exponent of one to three digits, at most four
// decimals once it is applied), followed by a trailing text. For those,
// fills `n` as scanNumber would and returns true; false for every other
// text, which scanNumber then reads. `length` is 1 to kWordCapacity.
bool readPlainWord(const char* text, std::size_t length, ScannedNumber& n);
