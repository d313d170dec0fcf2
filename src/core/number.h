// Number reading: how a word of a report or a switch argument is read as a
// number, rounded to four decimals, and the place of its last written digit.
// Used by the switches (real arguments) and the word comparison.
#pragma once

#include <cstddef>

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
