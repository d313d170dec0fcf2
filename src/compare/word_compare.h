// Word and number comparison: whether the current words of the two files
// count as the same, and how they differ when they don't. Numbers are
// compared by value rounded to four decimals, with the tolerance of the
// settings, and small differences (below 0.1%, or in the last written
// decimal place) are excused unless showAll is set.
//
// Writes the four word-level counters and the pending difference. Called by
// the alignment (line_align.h); scanNumber also reads real switch arguments.
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/fixed_text.h"

struct RunState;

// Working copy of a word: at most 255 characters.
inline constexpr std::size_t kWordCapacity = 255;

// Recognises the number at the start of `text` (`length` characters, at most
// 255) and returns its value rounded to four decimal places, magnitude held
// at 429496.7295 at most. `trailing` receives the number of characters after
// the number part; for a text that is no number the result is 0.0 and
// `trailing` is `length`. The text is not changed.
double scanNumber(const char* text, std::size_t length, std::size_t& trailing);

// For the written form of a number, p such that its last digit stands for
// 10^p (12 -> 0, 1.234 -> -3, 1.5E3 -> 2).
int lastDigitPlace(const char* text, std::size_t length);

// Compares the current tokens of both files. Returns true when they count as
// the same (equal text, within the tolerance, or excused; an excused
// difference adds 1 to lastDigitCount or tinyDiffCount). Otherwise adds 1 to
// wordDiffCount or numericDiffCount, appends both words to the pending
// difference and returns false. Always moves both files on by one token.
bool compareWords(RunState& run);
