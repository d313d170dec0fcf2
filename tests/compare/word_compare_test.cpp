#include "compare/word_compare.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/number.h"
#include "core/run_state.h"
#include "reader/open_reports.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"
#include "support/fake_host.h"

namespace {

// A run over two in-memory files, reset as the driver does and standing on
// the first word of each.
void startRun(FakeHost& host, RunState& run, const std::string& one,
              const std::string& two) {
  openReports(host, run, one, two);
  nextTokenBoth(run);
}

// Outcomes: 's' same, 'w' word difference, 'n' numeric difference, 't' tiny,
// 'l' last decimal place only.
struct CompareRow {
  std::string one;
  std::string two;
  char outcome;
  bool showAll = false;
  bool ignoreRelative = false;
  std::uint32_t ignoreUnits = 0;  // 100 with ignoreRelative: 0.01 %
};

TEST(CompareWords, OutcomesAndTheirCounters) {
  const std::string long1(300, 'a');
  const CompareRow rows[] = {
      {"abc", "abc", 's'},
      {"1,234.5", "1234.5", 's'},
      {"5", "5.0", 's'},
      {"-0", "0", 's'},
      {"1.0E5", "1.0D5", 's'},
      {"1.00001", "1.00002", 's'},
      {"0.00004", "0", 's'},
      {"1000000", "2000000", 's'},
      {"E5", "E6", 's'},
      // Trailing texts.
      {"12.5kg", "12.6kg", 'l'},
      {"12.5a", "12.5b", 's'},
      {"a", "b", 's'},
      {"A", "B", 'w'},
      {"12.5ab", "12.5ac", 'w'},
      {"abc", "abd", 'w'},
      {"Abc", "abc", 'w'},
      {"x", "0", 's'},
      {"5x", "0", 'n'},
      {"5x", "5", 'w'},
      {"5X", "0", 'w'},
      {"1E", "1Ex", 'w'},
      {"--5", "-5", 'w'},
      {"2023-01-05", "2023-01-06", 'w'},
      // Numbers: 0.1% and the last written place.
      {"1.23", "1.35", 'n'},
      {"1000.0", "1000.5", 't'},
      {"1000.0", "1000.5", 'n', true},
      {"100", "100.1", 't'},
      {"100", "100.2", 'l'},
      {"100", "100.2", 'n', true},
      {"1.0", "1.1", 'l'},
      {"1.00", "1.09", 'l'},
      {"1.00", "1.10", 'n'},
      // The difference is exactly 10^(p+1): not less, so not excused.
      {"0.010", "0.020", 'n'},
      {"12", "13", 'n'},
      {"1.5E0", "1.6E0", 'l'},
      {"1.5D0", "1.6D0", 'n'},
      // Tolerances: relative 0.01% (IGNORE alone) and absolute.
      {"1000.0", "1000.05", 's', false, true, 100},
      {"1000.0", "1000.2", 't', false, true, 100},
      {"1000.0", "1000.2", 'n', true, true, 100},
      {"10", "10.5", 's', false, false, 5000},
      {"10", "10.6", 'l', false, false, 5000},
      {"100", "102", 'n', false, false, 10000},
      {"100", "101", 's', true, false, 10000},
      // Decided on exact decimals: each row below fails when the values are
      // compared as doubles. Exactly ten units of the last place apart is
      // no last-place difference, in any magnitude.
      {"17.85", "17.95", 'n'},
      {"0.05", "0.15", 'n'},
      {"12.35", "12.45", 'n'},
      {"0.001", "0.011", 'n'},
      {"0.5", "1.5", 'n'},
      {"17.85", "17.94", 'l'},
      {"0.0001", "0.0009", 'l'},
      // A tolerance exactly met, and just missed.
      {"1.00", "1.05", 's', false, false, 500},
      {"2.00", "2.05", 's', false, false, 500},
      {"1.0", "1.3", 's', false, false, 3000},
      {"0.1", "0.4", 's', false, false, 3000},
      {"1.0000", "1.0501", 'n', false, false, 500},
      {"1.9999", "2.0001", 's', false, true, 100},
      {"999.9", "1000.1", 's', false, true, 200},
      {"99.99", "100.01", 's', false, true, 200},
      {"1.9999", "2.0002", 't', false, true, 100},
      // 0.1 % exactly met is not tiny; just under it is.
      {"1.999", "2.001", 'l'},
      {"199.9", "200.1", 'l'},
      {"0.1000", "0.1001", 't'},
      {"1.9990", "2.0009", 't'},
      // Words over 255 bytes are equal as whole texts or differ as text.
      {"1" + std::string(254, '0'), "2" + std::string(254, '0'), 's'},
      {"1" + std::string(255, '0'), "2" + std::string(255, '0'), 'w'},
      {long1, long1, 's'},
      {long1, long1.substr(1) + "b", 'w'},
      {long1, "a", 'w'}};
  for (const CompareRow& row : rows) {
    SCOPED_TRACE(row.one.substr(0, 20) + " / " + row.two.substr(0, 20) +
                 " -> " + row.outcome + (row.showAll ? " (all)" : ""));
    FakeHost host;
    RunState run{host};
    startRun(host, run, row.one + "\r\nnext\r\n", row.two + "\r\nnext\r\n");
    run.settings.showAll = row.showAll;
    run.settings.ignoreRelative = row.ignoreRelative;
    run.settings.ignoreUnits = row.ignoreUnits;

    // Asked without counting, the answer is the same and nothing moves.
    EXPECT_EQ(row.outcome != 'w' && row.outcome != 'n',
              wordsReadSame(run, currentToken(run, Side::kOne),
                            currentToken(run, Side::kTwo)));
    EXPECT_EQ(0, run.counters.words.wordDiffCount +
                     run.counters.words.numericDiffCount +
                     run.counters.words.lastDigitCount +
                     run.counters.words.tinyDiffCount);
    EXPECT_EQ(0u, run.pending.diffText(Side::kOne).length);
    bool same = compareWords(run);

    const WordCounts& c = run.counters.words;
    bool listed = row.outcome == 'w' || row.outcome == 'n';
    EXPECT_EQ(!listed, same);
    EXPECT_EQ(row.outcome == 'w' ? 1 : 0, c.wordDiffCount);
    EXPECT_EQ(row.outcome == 'n' ? 1 : 0, c.numericDiffCount);
    EXPECT_EQ(row.outcome == 't' ? 1 : 0, c.tinyDiffCount);
    EXPECT_EQ(row.outcome == 'l' ? 1 : 0, c.lastDigitCount);
    // A listed pair is one column, cut at 255 characters.
    std::size_t width =
        listed ? std::min<std::size_t>(
                     std::max(row.one.size(), row.two.size()) + 1, 255)
               : 0;
    std::string text1 = row.one.substr(0, width);
    std::string text2 = row.two.substr(0, width);
    text1.resize(width, ' ');
    text2.resize(width, ' ');
    EXPECT_EQ(text1, run.pending.diffText(Side::kOne).view());
    EXPECT_EQ(text2, run.pending.diffText(Side::kTwo).view());
    // Both files moved on to their line ends.
    EXPECT_EQ(kCr, charAt(run, Side::kOne, 0));
    EXPECT_EQ(kCr, charAt(run, Side::kTwo, 0));
  }
}

TEST(JudgeNumbers, DecidesOnWholeNumbers) {
  constexpr std::int64_t kMax = kMaxUnits;
  struct Row {
    const char* name;
    std::int64_t units1;
    std::int64_t units2;
    std::int64_t place;
    bool relative;
    std::uint32_t tolerance;
    bool showAll;
    Verdict verdict;
  };
  const Row rows[] = {
      {"equal after rounding", 10000, 10000, -5, false, 0, true,
       Verdict::kWithinTolerance},
      {"one unit apart", 10000, 10001, -4, false, 0, false, Verdict::kTiny},
      {"absolute tolerance met", -250, 250, -4, false, 500, false,
       Verdict::kWithinTolerance},
      {"absolute tolerance missed by one unit", -250, 251, -4, false, 500,
       false, Verdict::kListed},
      {"largest tolerance, largest difference", kMax, -kMax, 0, false,
       4294967295u, false, Verdict::kListed},
      {"relative: the product needs more than 64 bits", kMax, -kMax, 0, true,
       4294967295u, false, Verdict::kWithinTolerance},
      {"relative: 100 % of the mean", 10000, 30000, -4, true, 1000000, false,
       Verdict::kWithinTolerance},
      {"relative against zero and no tolerance", 0, 1, -4, true, 0, false,
       Verdict::kLastPlace},
      {"showAll lists what the tolerance lets through", 10000, 10001, -4, false,
       0, true, Verdict::kListed},
      {"tiny: 2000 D just below S", 1000, 1001, -4, false, 0, false,
       Verdict::kTiny},
      {"whole numbers below 10^(place + 4) are listed", 10000, 50000, 0, false,
       0, false, Verdict::kListed},
      {"whole numbers at 10^4 are tiny first", 100000000, 100090000, 0, false,
       0, false, Verdict::kTiny},
      {"a place above the magnitudes lists", 100000, 300000, 2147483647, false,
       0, false, Verdict::kListed},
      {"nine units of the place -4", 1, 10, -4, false, 0, false,
       Verdict::kLastPlace},
      {"ten units of the place -4", 1, 11, -4, false, 0, false,
       Verdict::kListed},
      {"a place finer than the rounding excuses nothing", 1, 3, -5, false, 0,
       false, Verdict::kListed},
      {"a place far below", 1, 3, -2147483648, false, 0, false,
       Verdict::kListed},
      {"negative numbers", -178500, -179500, -2, false, 0, false,
       Verdict::kListed},
      {"negative numbers, nine units", -178500, -179400, -2, false, 0, false,
       Verdict::kLastPlace},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Settings settings;
    settings.ignoreRelative = row.relative;
    settings.ignoreUnits = row.tolerance;
    settings.showAll = row.showAll;
    EXPECT_EQ(row.verdict,
              judgeNumbers(row.units1, row.units2, row.place, settings));
    EXPECT_EQ(row.verdict,
              judgeNumbers(row.units2, row.units1, row.place, settings));
  }
}

TEST(CompareWords, FinalPageEndReadsAsZero) {
  struct {
    const char* two;
    bool same;
    std::int32_t numericDiffs;
  } rows[] = {{"x", true, 0}, {"0.00", true, 0}, {"5", false, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.two);
    FakeHost host;
    RunState run{host};
    startRun(host, run, "", row.two);
    ASSERT_EQ(0u, position(run, Side::kOne).tokenLength);
    EXPECT_EQ(row.same, compareWords(run));
    EXPECT_EQ(row.numericDiffs, run.counters.words.numericDiffCount);
    EXPECT_EQ(0, run.counters.words.wordDiffCount);
    EXPECT_TRUE(atFileEnd(run, Side::kOne));
  }
}

}  // namespace

namespace {

// Counts of comparing the word pairs of `pairs` as one line pair, the whole
// list `rounds` times over, in one run.
WordCounts countsOfLine(
    const std::vector<std::pair<std::string, std::string>>& pairs, int rounds) {
  std::string one;
  std::string two;
  for (int r = 0; r < rounds; ++r) {
    for (const auto& [word1, word2] : pairs) {
      one += word1 + " ";
      two += word2 + " ";
    }
  }
  FakeHost host;
  RunState run{host};
  startRun(host, run, one + "\r\n", two + "\r\n");
  while (!atLineEnd(run, Side::kOne) && !atLineEnd(run, Side::kTwo)) {
    compareWords(run);
  }
  return run.counters.words;
}

TEST(CompareWords, RepeatedWordsCountAsWhenMetFirst) {
  // Words met again in other pairings, or crowding each other out of what
  // the comparison remembers of words, must be judged as on first sight.
  std::vector<std::pair<std::string, std::string>> pairs = {
      {"1.5", "1.6"},
      {"1.6", "1.5"},
      {"5x", "0"},
      {"0", "5x"},
      {"5x", "5y"},
      {"12.5kg", "12.6kg"},
      {"12.5kg", "12.5mm"},
      {"1.0D5", "1.0D6"},
      {"1E3", "1000.1"},
      {"abc", "abd"},
      {"1,234.5", "1234.6"},
      {"0.00004", "0.00006"},
      {"1000", "1000.5"},
      {"-2.5E-01", "-0.26"},
      {"123456789012345678901234.5", "123456789012345678901234.6"},
      {"12345678901234567890123.5", "12345678901234567890123.6"}};
  for (int i = 0; i < 600; ++i) {
    // Tiny or numeric by the value of each word.
    pairs.emplace_back(std::to_string(i) + ".5", std::to_string(i) + ".5001");
    pairs.emplace_back(std::to_string(i % 7) + ".5", std::to_string(i) + ".5");
  }
  WordCounts expected;
  for (const auto& pair : pairs) {
    const WordCounts one = countsOfLine({pair}, 1);
    expected.wordDiffCount += one.wordDiffCount;
    expected.numericDiffCount += one.numericDiffCount;
    expected.tinyDiffCount += one.tinyDiffCount;
    expected.lastDigitCount += one.lastDigitCount;
  }
  const WordCounts got = countsOfLine(pairs, 3);
  EXPECT_EQ(3 * expected.wordDiffCount, got.wordDiffCount);
  EXPECT_EQ(3 * expected.numericDiffCount, got.numericDiffCount);
  EXPECT_EQ(3 * expected.tinyDiffCount, got.tinyDiffCount);
  EXPECT_EQ(3 * expected.lastDigitCount, got.lastDigitCount);
  EXPECT_GT(expected.lastDigitCount, 0);
  EXPECT_GT(expected.tinyDiffCount, 0);
}

}  // namespace
