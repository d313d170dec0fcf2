#include "core/number.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct ScanRow {
  const char* text;
  double value;
  std::size_t trailing;
};

TEST(ScanNumber, ValuesAndTrailingLengths) {
  const ScanRow rows[] = {
      {"12", 12.0, 0},
      {"1,234.5", 1234.5, 0},
      {"+5", 5.0, 0},
      {"-1.5E+03", -1500.0, 0},
      {".5", 0.5, 0},
      {"E5", 0.0, 0},
      {"1.0D5", 100000.0, 0},
      {"12.5kg", 12.5, 2},
      {"2023-01-05", 2023.0, 6},
      {"1.5E3.2", 1500.0, 2},
      {"1.2.3", 1.2, 2},
      {"5-3", 5.0, 2},
      // Rounded to four decimals, magnitude held at (2^32 - 1) / 10000.
      {"1.23456", 1.2346, 0},
      {"0.00004", 0.0, 0},
      {"-0.00004", 0.0, 0},
      {"0.00006", 0.0001, 0},
      {"429496.7295", 429496.7295, 0},
      {"429496.7296", 429496.7295, 0},
      {"-1000000", -429496.7295, 0},
      {"1E-999", 0.0, 0},
      // No numbers: value 0, the whole text trailing.
      {"", 0.0, 0},
      {"x", 0.0, 1},
      {"a5", 0.0, 2},
      {"--5", 0.0, 3},
      {".", 0.0, 1},
      {"1E", 0.0, 2},
      {"1Ex", 0.0, 3},
      {"5em", 0.0, 3},
      {"1E+-5", 0.0, 5},
      {"1E999", 0.0, 5},
      {"/5", 0.0, 2}};
  for (const ScanRow& row : rows) {
    SCOPED_TRACE(row.text);
    std::size_t trailing = 999;
    double value =
        unitsToValue(scanUnits(row.text, std::strlen(row.text), trailing));
    EXPECT_EQ(row.value, value);
    EXPECT_FALSE(std::signbit(value) && value == 0.0) << "negative zero";
    EXPECT_EQ(row.trailing, trailing);
    // The same rounding, as a whole count of ten-thousandths.
    EXPECT_EQ(std::llround(row.value * 10000),
              scanUnits(row.text, std::strlen(row.text), trailing));
  }
}

// Decimals with and without exponents (the common ones are read in whole
// numbers) against the reading by double: strtod of the number part, times
// 10000, plus 0.5, floored and held at kMaxUnits. Random signs, digit
// counts around 18, commas, up to six decimals, exponents up to 40 and
// trailing texts, so both sides of every limit are met.
TEST(ScanNumber, DecimalsReadAsByDouble) {
  std::mt19937 random(7);
  const char* tails[] = {"", "", "kg", "-3", ".5", "x", "E", "%"};
  for (int n = 0; n < 20000; ++n) {
    std::string text;
    std::string number;
    const int sign = static_cast<int>(random() % 4);
    if (sign == 1 || sign == 2) {
      text += sign == 1 ? '-' : '+';
      number += text;
    }
    const int whole = static_cast<int>(random() % 20);
    for (int k = 0; k < whole; ++k) {
      const char digit = static_cast<char>('0' + random() % 10);
      text += digit;
      number += digit;
      if (random() % 8 == 0) {
        text += ',';
      }
    }
    const int decimals = static_cast<int>(random() % 8) - 1;
    if (decimals >= 0) {
      text += '.';
      number += '.';
      for (int k = 0; k < decimals; ++k) {
        const char digit = static_cast<char>('0' + random() % 10);
        text += digit;
        number += digit;
      }
    }
    if (random() % 3 == 0 && decimals != 0) {
      // An exponent: E, e, D or d, a sign or none, up to three digits.
      text += "EeDd"[random() % 4];
      number += 'E';
      const int exponentSign = static_cast<int>(random() % 3);
      if (exponentSign > 0) {
        text += exponentSign == 1 ? '-' : '+';
        number += exponentSign == 1 ? '-' : '+';
      }
      const std::string exponent = std::to_string(random() % 41);
      const std::string padded =
          std::string(random() % (4 - exponent.size()), '0') + exponent;
      text += padded;
      number += padded;
    }
    const std::string tail = tails[random() % 8];
    text += tail;
    SCOPED_TRACE(text);
    const bool anyDigit = whole > 0 || decimals > 0;
    if (!anyDigit || tail == "E" || tail == ".5") {
      continue;  // no number, or one that reads on into the tail
    }
    if (decimals == 0 && tail.empty()) {
      number += '0';
    }
    const double value = std::strtod(number.c_str(), nullptr);
    const double scaled = std::fabs(value) * 10000.0 + 0.5;
    std::int64_t expected = scaled > static_cast<double>(kMaxUnits)
                                ? kMaxUnits
                                : static_cast<std::int64_t>(std::floor(scaled));
    expected = value < 0 ? -expected : expected;
    std::size_t trailing = 0;
    EXPECT_EQ(expected, scanUnits(text.data(), text.size(), trailing));
    EXPECT_EQ(tail.size(), trailing);
  }
}

TEST(LastDigitPlace, PlaceOfTheLastWrittenDigit) {
  const std::pair<const char*, int> rows[] = {
      {"12", 0},
      {"12.", 0},
      {"1.234", -3},
      {"1,234.50", -2},
      {"1.5E3", 2},
      {"2.50e-3", -5},
      {"1.5D0", -3},
      {"1.5E", -1},
      {"", 0},
      {"0E2147483647", 2147483647},
      {"1E12345678901", 1234567890},  // ten exponent characters at most
      {"1E99999999999", 0}};          // 9999999999 does not fit
  for (const auto& [text, place] : rows) {
    SCOPED_TRACE(text);
    EXPECT_EQ(place, lastDigitPlace(text, std::strlen(text)));
  }
}

// scanNumber reads in one pass what scanUnits and lastDigitPlace read apart;
// random words of number characters, exponent letters, signs and trailing
// letters must give the same three results.
TEST(ScanNumber, AgreesWithScanUnitsAndLastDigitPlace) {
  const std::string alphabet = "0123456789..,,EeDd+-kNx";
  std::mt19937 random(7);
  for (int n = 0; n < 200000; ++n) {
    std::string text;
    const std::size_t length = 1 + random() % 12;
    for (std::size_t i = 0; i < length; ++i) {
      // Mostly digits, so that many words are numbers.
      text += random() % 2 == 0 ? static_cast<char>('0' + random() % 10)
                                : alphabet[random() % alphabet.size()];
    }
    std::size_t trailing = 0;
    const std::int64_t units = scanUnits(text.data(), text.size(), trailing);
    const ScannedNumber scanned = scanNumber(text.data(), text.size());
    ASSERT_EQ(units, scanned.units) << text;
    ASSERT_EQ(trailing, scanned.trailing) << text;
    ASSERT_EQ(lastDigitPlace(text.data(), text.size() - trailing),
              scanned.place)
        << text;
  }
}

}  // namespace
