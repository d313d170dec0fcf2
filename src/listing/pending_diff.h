// Building the pending difference: the words that differ, one text per file,
// padded so that the words of both files line up in columns, and the line
// number of each file. Owns RunState::pending. Called by the word comparison
// and the alignment; listing.h prints and empties it.
#pragma once

#include <cstddef>

#include "core/side.h"

struct RunState;

// Adds the current token of each file to its text and pads both texts into
// one more column: the column is as wide as the longer added word, plus one
// blank. A line end or page end adds no text. Updates both diffLine values.
// Appends stop at the capacity of 255 characters.
void appendDiffWords(RunState& run);

// The same with the token of file `only` alone: the other file's text is
// padded and its line number updated, but nothing of it is added.
void appendDiffWords(RunState& run, Side only);

// Empties both texts and sets both line numbers to 0.
void clearDiff(RunState& run);

// Exchanges the pending texts and line numbers with the saved copy.
void swapDiff(RunState& run);

// Cuts both texts back to at most `n` characters.
void truncateDiff(RunState& run, std::size_t n);
