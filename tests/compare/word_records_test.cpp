#include "compare/word_records.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "core/number.h"

namespace {

// readPlainWord either declines or reads a word exactly as scanNumber does.
void expectReadAsScanned(const std::string& word) {
  ScannedNumber fast;
  if (!readPlainWord(word.data(), word.size(), fast)) {
    return;
  }
  const ScannedNumber plain = scanNumber(word.data(), word.size());
  EXPECT_EQ(plain.units, fast.units) << word;
  EXPECT_EQ(plain.trailing, fast.trailing) << word;
  EXPECT_EQ(plain.place, fast.place) << word;
}

// The forms a report's words take, each of which the one-pass reading must
// take on (a decline would only cost time), with the corners of the number
// reading around them.
TEST(WordRecords, ReadsCommonWordsAsScanNumberDoes) {
  const char* const kTaken[] = {
      "0", "20511", "-7", "+7", "868.615kN", "5,264,130", "1,234.56",
      "-9939.87", "854t", "1444.0", ".5", "-.5x", "1.5E3", "1.5e-3", "2.5D2",
      "2.5d-1", "7E+02x", "1e280", "NODE-5224", "CHECK", "OK", "-abc", "n/a",
      "5-3", "1.2.3", "123456789012345678", "4294967295", "4294967296",
      "99999999.9999", "0.0001", "1,2.3,4", "5x",
      // Rounded through a double, ties among them.
      "1.5E-4", "7.78e-5", "3.668239", "8.559E-04", "-0.00001", "0.00005",
      "0.00015", "-0.00025kN", "1.584D-1", "4.99995", "123456789012.345",
      "1e-18"};
  for (const char* word : kTaken) {
    ScannedNumber fast;
    EXPECT_TRUE(readPlainWord(word, std::string(word).size(), fast)) << word;
    expectReadAsScanned(word);
  }
  // Left to scanNumber: rounding that a double quotient may not give, long
  // mantissas and exponents, a comma after an exponent, a point with no
  // digit after it, and texts that start like a number but are none or
  // another kind.
  const char* const kDeclined[] = {"1e-23",
                                   "1234567890.123456",
                                   "1234567890123456789",
                                   "5.",
                                   "1e1000",
                                   "1e281",
                                   "1e",
                                   "1E+",
                                   "1e5,3",
                                   "12.5E1,5",
                                   "E5",
                                   "+-5",
                                   "-",
                                   "."};
  for (const char* word : kDeclined) {
    ScannedNumber fast;
    EXPECT_FALSE(readPlainWord(word, std::string(word).size(), fast)) << word;
  }
}

TEST(WordRecords, ReadsRandomWordsAsScanNumberDoes) {
  std::mt19937 random(31);
  const std::string alphabet = "0123456789012345.,.+-eEdDkx/";
  for (int n = 0; n < 50000; ++n) {
    std::string word;
    for (std::size_t k = random() % 14 + 1; k > 0; --k) {
      word += alphabet[random() % alphabet.size()];
    }
    expectReadAsScanned(word);
  }
}

}  // namespace
