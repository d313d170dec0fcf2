// Number reading: how a word of a report or a switch argument is read as a
// number, rounded to four decimals, and the place of its last written digit.
// Used by the switches (real arguments) and the word comparison.
#pragma once

#include <cstddef>
#include <cstdint>

// Working copy of a word: at most 255 characters.
inline constexpr std::size_t kWordCapacity = 255;

// A rounded number is held exactly as a whole count of ten-thousandths, its
// units: 12.5 is 125000. The magnitude is at most this many units
// (429496.7295).
inline constexpr std::int64_t kMaxUnits = 4294967295;

// Recognises the number at the start of `text` (`length` characters, at most
// 255) and returns its value rounded to four decimal places, in units: the
// magnitude is held at kMaxUnits. `trailing` receives the number of
// characters after the number part; for a text that is no number the result
// is 0 and `trailing` is `length`. The text is not changed.
std::int64_t scanUnits(const char* text, std::size_t length,
                       std::size_t& trailing);

// Rounds a value to four decimals, in units, holding the magnitude at
// kMaxUnits: how scanUnits rounds what it reads.
std::int64_t roundToUnits(double v);

// The value of a count of units as a double (125000 -> 12.5); 0 gives +0.0.
inline double unitsToValue(std::int64_t units) {
  return static_cast<double>(units) / 10000.0;
}

// For the written form of a number, p such that its last digit stands for
// 10^p (12 -> 0, 1.234 -> -3, 1.5E3 -> 2).
int lastDigitPlace(const char* text, std::size_t length);

// A word read as a number at once: scanUnits' units and trailing length,
// and lastDigitPlace of the number part (the text without the trailing
// characters).
struct ScannedNumber {
  std::int64_t units = 0;
  std::size_t trailing = 0;
  int place = 0;
};

ScannedNumber scanNumber(const char* text, std::size_t length);
