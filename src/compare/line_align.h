// Line alignment: which line of file 1 is compared with which line of file 2
// and which word with which word, with a look-ahead of one unit. Trials are
// real comparisons undone through the checkpoints and the pending difference.
// With Settings::lookahead above 1, a block of extra lines is looked for
// where the one-unit trials of a line pair find nothing (lookahead.h).
// Called one step at a time by the page loop (file_loop.h).
#pragma once

#include "core/side.h"

struct RunState;

// One line-mode step. Neither file may stand on a page end; both stand at the
// start of a line. Consumes at least one line of at least one file.
void compareLinePair(RunState& run);

// Compares the rest of the current line pair word by word; true when neither
// wordDiffCount nor numericDiffCount grew. Leaves each file past its line
// end, or on its page end.
bool compareLineWords(RunState& run);

// One word-mode step. Neither file may stand on a page end.
void compareWordPair(RunState& run);

// Adds the rest of the current line of file `side` to the pending text as
// extra words (each counted in wordDiffCount) and passes the line end (not a
// page end).
void collectRestOfLine(RunState& run, Side side);

// Lists the pending words of file `extra` (its collected line) as an extra
// line and counts it in linesDiffered; a blank line is listed as a blank
// with its line number.
void listExtraLine(RunState& run, Side extra);

// Passes the rest of the current line of file `side` and its line end (not
// a page end) without counting.
void skipRestOfLine(RunState& run, Side side);
