#include "zudiz/zudiz.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <gtest/gtest.h>

#include "zudiz/program_run.h"
#include "zudiz/result_checks.h"

#ifndef _WIN32
#include <signal.h>
#endif

namespace {

using namespace std::string_view_literals;
using zudiz::Counts;
using zudiz::Result;
using zudiz::Status;
using zudiz::Verdict;

// Two head lines and a blank line: the body starts on line 4.
constexpr std::string_view kHead = "REPORT TITLE\nPROJECT X\n\n";

std::string report(std::string_view body) {
  return std::string(kHead) + std::string(body);
}

Counts counts(std::int64_t surplus, std::int64_t compared,
              std::int64_t differed, std::int64_t words, std::int64_t numeric,
              std::int64_t tiny, std::int64_t lastPlace) {
  Counts c;
  c.surplusLines = surplus;
  c.linesCompared = compared;
  c.linesDiffered = differed;
  c.wordDifferences = words;
  c.numericDifferences = numeric;
  c.tinyExcused = tiny;
  c.lastPlaceExcused = lastPlace;
  return c;
}

// A library call with the labels programOutput gives the files.
Result compareAsProgram(std::string_view one, std::string_view two,
                        std::string_view switches = {}) {
  return zudiz::compareTexts(one, two, switches, "ONE", "TWO");
}

struct StatusRow {
  const char* what;
  std::string one, two;
  std::string_view switches;
  Status status;
  Counts counts;             // checked unless the status is kError
  std::string_view message;  // kError only
  std::string_view label2 = "TWO";
};

TEST(Library, StatusCountsAndMessagesFollowTheProgram) {
  const std::string excused1 = report("X 1000.0 1.2\n");
  const std::string excused2 = report("X 1000.5 1.3\n");
  const StatusRow rows[] = {
      {"same", report("A 1.5 X\nB 2\n"), report("A 1.5 X\nB 2\n"), "",
       Status::kSame, counts(0, 2, 0, 0, 0, 0, 0), ""},
      {"word", report("A B\n"), report("A C\n"), "", Status::kDifferent,
       counts(0, 1, 1, 1, 0, 0, 0), ""},
      {"numeric", report("X 1.00\n"), report("X 2.00\n"), "",
       Status::kDifferent, counts(0, 1, 1, 0, 1, 0, 0), ""},
      {"excused only", excused1, excused2, "", Status::kSame,
       counts(0, 1, 0, 0, 0, 1, 1), ""},
      {"excused listed under /ALL", excused1, excused2, "/ALL",
       Status::kDifferent, counts(0, 1, 1, 0, 2, 0, 0), ""},
      // Surplus is every line end (word, in word mode) one file has after
      // the other has ended; lines left on a page the other file has
      // finished are listed instead.
      {"surplus in file 1", report("A\n\fT\nP\nB\nC\n"), report("A\n"), "",
       Status::kDifferent, counts(4, 1, 0, 0, 0, 0, 0), ""},
      {"surplus in file 2", report("A\n"), report("A\n\fT\nP\nB\n"), "",
       Status::kDifferent, counts(-3, 1, 0, 0, 0, 0, 0), ""},
      {"surplus words in word mode", report("A\n\fT\nP\nB C\n"), report("A\n"),
       "/W", Status::kDifferent, counts(4, 0, 0, 0, 0, 0, 0), ""},
      {"rest of a page listed", report("A\nB\nC\n"), report("A\n"), "",
       Status::kDifferent, counts(0, 3, 2, 2, 0, 0, 0), ""},
      {"bad switch",
       report("A\n"),
       report("A\n"),
       "/FOO",
       Status::kError,
       {},
       "Bad switch \"/FOO\""},
      {"switch argument missing",
       report("A\n"),
       report("A\n"),
       "/SKIPHEAD",
       Status::kError,
       {},
       "Switch argument missing"},
      {"bad cardinal",
       report("A\n"),
       report("A\n"),
       "/SKIPHEAD:-1",
       Status::kError,
       {},
       "Bad cardinal argument for switch"},
      {"bad real",
       report("A\n"),
       report("A\n"),
       "/i:1.2.3",
       Status::kError,
       {},
       "Bad real argument for switch"},
      {"third name",
       report("A\n"),
       report("A\n"),
       "/ALL three",
       Status::kError,
       {},
       "Too many files"},
      {"missing name",
       report("A\n"),
       report("A\n"),
       "/ALL",
       Status::kError,
       {},
       "Missing compare file",
       ""},
      {"page too large",
       std::string(40000, 'x') + "\n",
       report("A\n"),
       "",
       Status::kError,
       {},
       "Page too large to fit in buffer"},
      {"usage asked for",
       report("A\n"),
       report("A\n"),
       "/?",
       Status::kError,
       {},
       "Usage text requested by a switch"},
  };
  for (const StatusRow& row : rows) {
    SCOPED_TRACE(row.what);
    Result r =
        zudiz::compareTexts(row.one, row.two, row.switches, "ONE", row.label2);
    EXPECT_EQ(programOutput(row.one, row.two, row.switches, "ONE", row.label2),
              r.output);
    EXPECT_EQ(row.status, r.status);
    if (row.status == Status::kError) {
      EXPECT_EQ(row.message, r.message);
    } else {
      EXPECT_EQ("", r.message);
      EXPECT_TRUE(row.counts == r.counts)
          << "compared " << r.counts.linesCompared << " differed "
          << r.counts.linesDiffered << " words " << r.counts.wordDifferences
          << " numeric " << r.counts.numericDifferences << " surplus "
          << r.counts.surplusLines;
      expectRecordsMatchCounts(r);
    }
  }
}

TEST(Library, NoNamesGiveTheUsageText) {
  Result r = zudiz::compareTexts("A\n", "A\n", "/ALL", "", "");
  EXPECT_EQ(Status::kError, r.status);
  EXPECT_EQ("No report file named: usage text printed", r.message);
  EXPECT_EQ(programOutput("A\n", "A\n", "/ALL", "", ""), r.output);
  EXPECT_NE(std::string::npos, r.output.find("Syntax:"));
}

TEST(Library, NamesAreTakenWhole) {
  // A slash in a name starts no switch: /ALL here would list the excused
  // numbers.
  Result r = zudiz::compareTexts(report("X 1000.0\n"), report("X 1000.5\n"), "",
                                 "runs/ALL.rpt", "b");
  EXPECT_EQ(Status::kSame, r.status);
  EXPECT_EQ(0u, r.output.find("Comparing RUNS/ALL.RPT vs. B\r\n"));
  EXPECT_EQ(1, r.counts.tinyExcused);
  // Like every name of the program, cut to 256 characters.
  const std::string longName(300, 'n');
  Result cut = zudiz::compareTexts("A\n", "A\n", "", longName, "b");
  EXPECT_EQ(
      0u, cut.output.find("Comparing " + std::string(256, 'N') + " vs. B\r\n"));
}

struct TextRow {
  const char* what;
  std::string_view one, two;
  std::string_view switches;
  Status status;
};

TEST(Library, TextsOfAnyBytesGiveTheProgramsOutput) {
  const TextRow rows[] = {
      {"NUL inside words, differing", "T\nP\n\nA\0B 1\n"sv,
       "T\nP\n\nA\0C 1\n"sv, "", Status::kDifferent},
      {"NUL inside words, equal", "T\nP\n\nA\0B 1\n"sv, "T\nP\n\nA\0B 1\n"sv,
       "", Status::kSame},
      {"CR-only line ends", "T\rP\r\rA 1\rB 2\r", "T\rP\r\rA 1\rB 3\r", "",
       Status::kDifferent},
      {"CR-only against LF", "T\rP\r\rA 1\rB 2\r", "T\nP\n\nA 1\nB 2\n", "",
       Status::kSame},
      {"no line end at the end", "T\nP\n\nA 1\nB 2", "T\nP\n\nA 1\nB 3", "",
       Status::kDifferent},
      {"no line end at all", "A 1", "A 1", "/SKIPHEAD:0", Status::kSame},
      {"both empty", "", "", "", Status::kSame},
      {"empty against text", "", "T\nP\n\nA\n", "", Status::kDifferent},
      {"trailing SUB bytes", "T\nP\n\nA 1\n\x1a\x1a", "T\nP\n\nA 1\n", "",
       Status::kSame},
      {"form feeds and word mode", "T\nP\n\nA 1\n\fT\nP\nB 2\n",
       "T\nP\n\nA 1\nB 3.5\n", "/W", Status::kDifferent},
  };
  for (const TextRow& row : rows) {
    SCOPED_TRACE(row.what);
    Result r = compareAsProgram(row.one, row.two, row.switches);
    EXPECT_EQ(programOutput(row.one, row.two, row.switches), r.output);
    EXPECT_EQ(row.status, r.status);
    expectRecordsMatchCounts(r);
  }
}

struct NumberRow {
  std::string_view switches;
  const char* a;
  const char* b;
  double value1, value2;
  bool recorded;
  Verdict verdict;
};

TEST(Library, NumberRecordsCarryTheirVerdicts) {
  const NumberRow rows[] = {
      {"", "1.00", "2.00", 1, 2, true, Verdict::kListed},
      {"", "1000.0", "1000.5", 1000, 1000.5, true, Verdict::kTiny},
      {"", "1.2", "1.3", 1.2, 1.3, true, Verdict::kLastPlace},
      {"", "5x", "6x", 5, 6, true, Verdict::kListed},
      {"/ALL", "1000.0", "1000.5", 1000, 1000.5, true, Verdict::kListed},
      {"/ALL", "1.2", "1.3", 1.2, 1.3, true, Verdict::kListed},
      {"/IGNORE:0.5", "10.0", "10.5", 10, 10.5, true,
       Verdict::kWithinTolerance},
      {"/IGNORE:0.5", "10.0", "11.0", 10, 11, true, Verdict::kListed},
      {"/IGNORE%:1", "100.0", "100.9", 100, 100.9, true,
       Verdict::kWithinTolerance},
      {"/IGNORE%:1", "100", "102", 100, 102, true, Verdict::kListed},
      {"/IGNORE", "10000.0", "10000.5", 10000, 10000.5, true,
       Verdict::kWithinTolerance},
      {"/ALL /IGNORE:0.5", "10.0", "10.5", 10, 10.5, true,
       Verdict::kWithinTolerance},
      // Equal values are no number pair, whatever their written forms.
      {"", "1.0", "1.00", 0, 0, false, Verdict::kListed},
      {"", "1.00001", "1.00002", 0, 0, false, Verdict::kListed},
  };
  for (const NumberRow& row : rows) {
    SCOPED_TRACE(std::string(row.switches) + " " + row.a + " " + row.b);
    Result r = zudiz::compareTexts(report(std::string("X ") + row.a + "\n"),
                                   report(std::string("X ") + row.b + "\n"),
                                   row.switches);
    expectRecordsMatchCounts(r);
    if (!row.recorded) {
      EXPECT_TRUE(r.numbers.empty());
      EXPECT_TRUE(zudiz::Histogram{} == r.histogram);
      continue;
    }
    ASSERT_EQ(1u, r.numbers.size());
    const zudiz::NumberPair& n = r.numbers[0];
    EXPECT_EQ(row.verdict, n.verdict);
    EXPECT_DOUBLE_EQ(row.value1, n.value1);
    EXPECT_DOUBLE_EQ(row.value2, n.value2);
    EXPECT_EQ(4, n.line1);
    EXPECT_EQ(4, n.line2);
    EXPECT_FALSE(r.numbersCut);
  }
}

// `count` number pairs, each differing by less than 0.1 %, ten to a line.
std::string tinyNumbers(int count, bool second) {
  std::string body;
  for (int i = 0; i < count; ++i) {
    body += std::to_string(1000 + i) + (second ? ".5" : ".0");
    body += (i % 10 == 9 || i + 1 == count) ? "\n" : " ";
  }
  return report(body);
}

TEST(Library, NumberRecordsStopAtTheCapAndTheHistogramDoesNot) {
  const int kCap = static_cast<int>(zudiz::kMaxNumbers);
  for (int count : {kCap, kCap + 5}) {
    SCOPED_TRACE(count);
    Result r = zudiz::compareTexts(tinyNumbers(count, false),
                                   tinyNumbers(count, true));
    EXPECT_EQ(Status::kSame, r.status);
    EXPECT_EQ(count, r.counts.tinyExcused);
    EXPECT_EQ(zudiz::kMaxNumbers, r.numbers.size());
    EXPECT_EQ(count > kCap, r.numbersCut);
    EXPECT_EQ(count, histogramColumn(r, Verdict::kTiny));
    // The differences shrink along the file, so the largest kept are the
    // first ones, in file order: the last one kept is pair kCap.
    EXPECT_DOUBLE_EQ(1000 + kCap - 1, r.numbers.back().value1);
    expectRecordsMatchCounts(r);
  }
}

// The alignment tries other pairings of lines and words and takes them
// back; what it tried must leave no record.
TEST(Library, LookAheadLeavesNoNumberRecords) {
  struct Row {
    const char* what;
    std::string one, two;
    std::string_view switches;
    std::size_t numbers;
  };
  const Row rows[] = {
      {"extra line in file 2",
       report("R1 1.0 2.0 3.0\nR2 4.0 5.0 6.0\nR3 7.0 8.0 9.0\n"
              "R4 10.0 11.0 12.0\n"),
       report("R1 1.0 3.5 3.0\nR9 1.5 2.5 3.5\nR2 4.0 5.0 6.0\n"
              "R3 7.0 8.00001 9.0\nR4 10.001 11.0 12.0\n"),
       "", 2},
      {"extra line in file 1",
       report("A 1.0 2.0\nX 7.0 8.0\nB 3.0 4.0\nC 5.0 6.0\n"),
       report("A 1.0 2.0\nB 3.0 4.5\nC 5.0 6.0\n"), "", 1},
      {"extra word in a line", report("A 1.0 2.0 3.0 4.0\n"),
       report("A 1.0 9.9 2.0 3.0 4.0\n"), "", 0},
      {"changed line between two others", report("A 1 2\nB 3 4\nC 5 6\n"),
       report("A 1 2\nB 7 8\nC 5 6\n"), "", 2},
      {"word mode, extra word", report("A 1.0 2.0 3.0\n"),
       report("A 1.0 9.9 2.0 3.0\n"), "/W", 0},
      {"word mode, changed numbers", report("A 1.0 2.0 3.0\n"),
       report("A 1.0 2.7 3.0\n"), "/W", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Result r = compareAsProgram(row.one, row.two, row.switches);
    EXPECT_EQ(programOutput(row.one, row.two, row.switches), r.output);
    EXPECT_EQ(row.numbers, r.numbers.size());
    expectRecordsMatchCounts(r);
    for (std::size_t i = 1; i < r.numbers.size(); ++i) {
      EXPECT_LE(r.numbers[i - 1].line1, r.numbers[i].line1);
    }
  }
}

// A listed pair with only what the listing prints.
zudiz::ListedPair listed(std::int64_t line1, std::int64_t line2, int extra,
                         std::string text1, std::string text2) {
  zudiz::ListedPair pair;
  pair.line1 = line1;
  pair.line2 = line2;
  pair.extra = extra;
  pair.text1 = std::move(text1);
  pair.text2 = std::move(text2);
  return pair;
}

zudiz::ListedPair printed(const zudiz::ListedPair& pair) {
  return listed(pair.line1, pair.line2, pair.extra, pair.text1, pair.text2);
}

TEST(Library, ListedPairsAreThePrintedLines) {
  // Line 5 changed, line 7 of file 2 extra; the cap of 1 lists only the
  // first.
  const std::string one = report("A\nB 1\nC\nD\n");
  const std::string two = report("A\nB 2\nC\nX Y\nD\n");
  Result r = zudiz::compareTexts(one, two);
  ASSERT_EQ(2u, r.pairs.size());
  EXPECT_TRUE(listed(5, 5, 0, "1", "2") == printed(r.pairs[0]));
  EXPECT_TRUE(listed(7, 7, 2, "   ", "X Y") == printed(r.pairs[1]))
      << r.pairs[1].line1 << " " << r.pairs[1].line2 << " " << r.pairs[1].extra
      << " [" << r.pairs[1].text1 << "] [" << r.pairs[1].text2 << "]";

  Result capped = zudiz::compareTexts(one, two, "/V:1");
  ASSERT_EQ(1u, capped.pairs.size());
  EXPECT_TRUE(r.pairs[0] == capped.pairs[0]);
  EXPECT_TRUE(zudiz::compareTexts(one, two, "/V:0").pairs.empty());

  // Word mode: each column is a pair of its own.
  Result words =
      zudiz::compareTexts(report("A 1 B 2\n"), report("A 3 B 4\n"), "/W");
  ASSERT_EQ(2u, words.pairs.size());
  EXPECT_EQ("1", words.pairs[0].text1);
  EXPECT_EQ("4", words.pairs[1].text2);
}

TEST(Library, HistogramBuckets) {
  const struct {
    double relative;
    int bucket;
  } rows[] = {
      {0, 0},
      {0.99e-9, 0},
      {1e-9, 1},
      {5e-9, 1},
      {1e-8, 2},
      {0.0999, 8},
      {0.1, 9},
      {0.999, 9},
      {1, 10},
      {2, 10},
      {std::numeric_limits<double>::infinity(), 10},
      {std::numeric_limits<double>::quiet_NaN(), 10},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.relative);
    EXPECT_EQ(row.bucket, zudiz::histogramBucket(row.relative));
  }
  double previous = -1;
  for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
    const double lower = zudiz::histogramLowerBound(b);
    EXPECT_LT(previous, lower);
    EXPECT_EQ(b, zudiz::histogramBucket(lower));
    previous = lower;
  }
  EXPECT_EQ(0, zudiz::histogramLowerBound(0));
  EXPECT_EQ(1, zudiz::histogramLowerBound(10));

  // The difference over the mean magnitude, as the rule that excuses tiny
  // differences measures it.
  EXPECT_EQ(0, zudiz::relativeDifference(0, 0));
  EXPECT_DOUBLE_EQ(2.0 / 3, zudiz::relativeDifference(1, 2));
  EXPECT_DOUBLE_EQ(2.0 / 3, zudiz::relativeDifference(-2, -1));
  EXPECT_EQ(2, zudiz::relativeDifference(-1, 1));
  EXPECT_EQ(2, zudiz::relativeDifference(0, 3));
}

// Below 0.1 % on the histogram's axis means exactly "excused as tiny": a
// pair listed for being 0.1 % apart by the mean is never drawn below it.
TEST(Library, HistogramPlacesAgreeWithTheTinyRule) {
  struct Row {
    const char* one;
    const char* two;
    Verdict verdict;
  };
  const Row rows[] = {
      {"1000.0000", "1001.0008", Verdict::kListed},  // 0.1 % of the mean
      {"1000.0000", "1000.9990", Verdict::kTiny},
      {"2000.0000", "2001.9990", Verdict::kTiny},
      {"2000.0000", "2002.0030", Verdict::kListed},
      {"-50.000", "-50.100", Verdict::kListed},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.one) + " " + row.two);
    Result r = zudiz::compareTexts(report(std::string("X ") + row.one + "\n"),
                                   report(std::string("X ") + row.two + "\n"));
    ASSERT_EQ(1u, r.numbers.size());
    EXPECT_EQ(row.verdict, r.numbers[0].verdict);
    const double relative =
        zudiz::relativeDifference(r.numbers[0].value1, r.numbers[0].value2);
    EXPECT_EQ(row.verdict == Verdict::kTiny, relative < 1e-3);
    EXPECT_EQ(row.verdict == Verdict::kTiny,
              zudiz::histogramBucket(relative) < 7);
  }
}

// 20,000 tiny differences, then one real change: the records keep the
// largest differences, not the first ones met, and `largest` finds the
// change whatever the cap.
TEST(Library, TheLargestDifferenceOutlivesTheCap) {
  std::string one = tinyNumbers(20000, false);
  std::string two = tinyNumbers(20000, true);
  one += "TOTAL 80.0\n";
  two += "TOTAL 50.0\n";
  for (std::size_t cap : {std::size_t{0}, std::size_t{5}, zudiz::kMaxNumbers,
                          zudiz::kAllNumbers}) {
    SCOPED_TRACE(cap);
    zudiz::CompareOptions options;
    options.maxNumbers = cap;
    Result r = zudiz::compareTexts(one, two, {}, "FILE1", "FILE2", options);
    ASSERT_TRUE(r.largest.has_value());
    EXPECT_EQ(80.0, r.largest->value1);
    EXPECT_EQ(50.0, r.largest->value2);
    EXPECT_EQ(Verdict::kListed, r.largest->verdict);
    EXPECT_EQ(std::min<std::size_t>(cap, 20001), r.numbers.size());
    EXPECT_EQ(cap < 20001, r.numbersCut);
    if (cap > 0) {
      // In file order, so the change is the last one kept.
      EXPECT_EQ(80.0, r.numbers.back().value1);
    }
    if (cap == 5) {
      // The others kept are the largest of the tiny ones: the first four.
      EXPECT_EQ(1000.0, r.numbers[0].value1);
      EXPECT_EQ(1003.0, r.numbers[3].value1);
    }
  }
  EXPECT_FALSE(zudiz::compareTexts(report("A 1\n"), report("A 1\n"))
                   .largest.has_value());
}

// Each listed line comes with its page, its whole text as the comparison
// read it and the lines before it on its page.
TEST(Library, ListedPairsCarryTheirLinesAndContext) {
  const std::string page1 = "TITLE\nPROJECT\n\nFIRST PAGE 1.0\n";
  const std::string one = page1 + "\fTITLE\nPROJECT\n\n  NAME    A      B\n" +
                          "  beam1  1.000  2.000\n  beam2  3.000  4.000\n";
  const std::string two = page1 + "\fTITLE\nPROJECT\n\n  NAME    A      B\n" +
                          "  beam1  1.000  2.000\n  beam2  3.000  4.500\n";
  struct Row {
    int contextLines;
    std::vector<std::string> context;
  };
  const Row rows[] = {
      {2, {"  NAME    A      B", "  beam1  1.000  2.000"}},
      {0, {}},
      {-3, {}},
      {10,
       {"TITLE", "PROJECT", "", "  NAME    A      B", "  beam1  1.000  2.000"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.contextLines);
    zudiz::CompareOptions options;
    options.contextLines = row.contextLines;
    Result r = zudiz::compareTexts(one, two, {}, "ONE", "TWO", options);
    ASSERT_EQ(1u, r.pairs.size());
    const zudiz::ListedPair& p = r.pairs[0];
    EXPECT_EQ(10, p.line1);
    EXPECT_EQ(2, p.page1);
    EXPECT_EQ(2, p.page2);
    EXPECT_EQ("  beam2  3.000  4.000", p.lineText1);
    EXPECT_EQ("  beam2  3.000  4.500", p.lineText2);
    EXPECT_EQ(row.context, p.context1);
    EXPECT_EQ(row.context, p.context2);
  }
  // The output is the same with and without the context.
  zudiz::CompareOptions none;
  none.contextLines = 0;
  EXPECT_EQ(zudiz::compareTexts(one, two).output,
            zudiz::compareTexts(one, two, {}, "FILE1", "FILE2", none).output);
}

TEST(Library, ListedLinesInEveryShapeOfListing) {
  struct Row {
    const char* what;
    std::string one, two;
    std::string_view switches;
    std::size_t pair;  // which listed pair is checked
    std::int64_t page1, page2;
    std::string line1, line2;
  };
  std::string repeated;  // pages that repeat the page before them
  for (int i = 0; i < 50; ++i) {
    repeated += "\fT\nP\n\nSAME 1\n";
  }
  const std::string longLine(3000, 'x');
  const Row rows[] = {
      {"CR LF and a lone CR", report("A\r\nB 1\rC\n"), report("A\r\nB 2\rC\n"),
       "", 0, 1, 1, "B 1", "B 2"},
      {"an extra line: the other file's line is its next one", report("A\nB\n"),
       report("A\nNEW 7\nB\n"), "", 0, 1, 1, "B", "NEW 7"},
      {"word mode", report("A 1\nB 2 C\n"), report("A 1\nB 3 C\n"), "/W", 0, 1,
       1, "B 2 C", "B 3 C"},
      {"the rest of a longer page", report("A\n"), report("A\nMORE 1\n"), "", 0,
       1, 1, "", "MORE 1"},
      {"after repeated pages", report("A\n" + repeated + "\fT\nP\n\nX 1\n"),
       report("A\n" + repeated + "\fT\nP\n\nX 2\n"), "", 0, 52, 52, "X 1",
       "X 2"},
      {"a long line is cut", report(longLine + " 1\n"),
       report(longLine + " 2\n"), "", 0, 1, 1, longLine.substr(0, 1024),
       longLine.substr(0, 1024)},
      {"trimmed foot lines are gone", report("A 1\nFOOT\n"),
       report("A 2\nFOOT2\n"), "/SKIPF:1", 0, 1, 1, "A 1", "A 2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Result r = zudiz::compareTexts(row.one, row.two, row.switches);
    ASSERT_LT(row.pair, r.pairs.size()) << r.output;
    const zudiz::ListedPair& p = r.pairs[row.pair];
    EXPECT_EQ(row.page1, p.page1);
    EXPECT_EQ(row.page2, p.page2);
    EXPECT_EQ(row.line1, p.lineText1);
    EXPECT_EQ(row.line2, p.lineText2);
  }
}

// A line text with its listed words in brackets; each word must also be the
// listed text's bytes at its column.
std::string bracketed(const std::string& line, const std::string& listed,
                      const std::vector<zudiz::ListedWord>& words) {
  std::string out;
  std::size_t at = 0;
  for (const zudiz::ListedWord& w : words) {
    EXPECT_EQ(listed.substr(w.column, w.length), line.substr(w.start, w.length))
        << "column " << w.column;
    if (w.start < at) {
      return out + "<words out of order>";
    }
    out += line.substr(at, w.start - at) + "[" +
           line.substr(w.start, w.length) + "]";
    at = w.start + w.length;
  }
  return out + line.substr(std::min(at, line.size()));
}

TEST(Library, ListedWordsStandWhereTheLineHasThem) {
  struct Row {
    const char* what;
    std::string one, two;
    std::string_view switches;
    std::size_t pair;
    std::string line1, line2;  // bracketed
  };
  std::string repeated;
  for (int i = 0; i < 50; ++i) {
    repeated += "\fT\nP\n\nSAME 1\n";
  }
  const std::string longLine(3000, 'x');
  const Row rows[] = {
      {"an equal word earlier in the line", report("X 5 Y 5\n"),
       report("X 5 Y 6\n"), "", 0, "X 5 Y [5]", "X 5 Y [6]"},
      {"two columns", report("A 1.0 B 2.0\n"), report("A 3.0 B 4.0\n"), "", 0,
       "A [1.0] B [2.0]", "A [3.0] B [4.0]"},
      {"blanks and tabs between words", report("A\t  7  Z\n"),
       report("A\t  8  Z\n"), "", 0, "A\t  [7]  Z", "A\t  [8]  Z"},
      // The program numbers the side without the word one line on, past
      // the end here: that side has no line text to mark.
      {"a word on one side only", report("A 1\n"), report("A 1 MORE\n"), "", 0,
       "", "A 1 [MORE]"},
      {"CR LF and a lone CR", report("A\r\nB 1\rC\n"), report("A\r\nB 2\rC\n"),
       "", 0, "B [1]", "B [2]"},
      {"an extra line", report("A\nB\n"), report("A\nNEW 7\nB\n"), "", 0, "B",
       "[NEW] [7]"},
      {"word mode, second pair", report("A 1 B 2\n"), report("A 3 B 4\n"), "/W",
       1, "A 1 B [2]", "A 3 B [4]"},
      {"after repeated pages", report("A\n" + repeated + "\fT\nP\n\nX 1\n"),
       report("A\n" + repeated + "\fT\nP\n\nX 2\n"), "", 0, "X [1]", "X [2]"},
      {"a word beyond the cut", report(longLine + " 1\n"),
       report(longLine + " 2\n"), "", 0, longLine.substr(0, 1024),
       longLine.substr(0, 1024)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Result r = zudiz::compareTexts(row.one, row.two, row.switches);
    ASSERT_LT(row.pair, r.pairs.size()) << r.output;
    const zudiz::ListedPair& p = r.pairs[row.pair];
    EXPECT_EQ(row.line1, bracketed(p.lineText1, p.text1, p.words1));
    EXPECT_EQ(row.line2, bracketed(p.lineText2, p.text2, p.words2));
  }
}

TEST(Library, ResultCarriesTheToleranceOfTheSwitches) {
  using Kind = zudiz::Tolerance::Kind;
  struct Row {
    std::string_view switches;
    Kind kind;
    double value;
  };
  const Row rows[] = {
      {"", Kind::kNone, 0},
      {"/IGNORE", Kind::kRelative, 1e-4},
      {"/I%:2.5", Kind::kRelative, 0.025},
      {"/IGNORE:0.5", Kind::kAbsolute, 0.5},
      {"/IGNORE:0.5 /IGNORE%:1", Kind::kRelative, 0.01},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.switches);
    Result r =
        zudiz::compareTexts(report("A 1\n"), report("A 1\n"), row.switches);
    EXPECT_EQ(Status::kSame, r.status) << r.message;
    EXPECT_EQ(row.kind, r.tolerance.kind);
    EXPECT_DOUBLE_EQ(row.value, r.tolerance.value);
  }
}

// A scratch folder with two report files, removed at the end.
class ReportFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() /
        ("zudiz_lib_test_" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string write(const char* name, const std::string& bytes) {
    std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  std::filesystem::path dir_;
};

TEST_F(ReportFiles, FilesGiveWhatTheirTextsGive) {
  const std::string one = report("A 1.0 B\nC 2\n");
  const std::string two = report("A 1.5 B\nC 2\nD\n");
  const std::string path1 = write("one.rpt", one);
  const std::string path2 = write("two.rpt", two);
  Result files = zudiz::compareFiles(path1, path2, "/ALL");
  Result texts = zudiz::compareTexts(one, two, "/ALL", path1, path2);
  EXPECT_EQ(Status::kDifferent, files.status);
  EXPECT_TRUE(files == texts) << files.output << "\n" << texts.output;
}

TEST_F(ReportFiles, OpenFailuresNameTheFile) {
  const std::string path1 = write("one.rpt", report("A\n"));
  const std::string missing = (dir_ / "missing.rpt").string();
  Result r = zudiz::compareFiles(path1, missing);
  EXPECT_EQ(Status::kError, r.status);
  std::string upper = missing;
  for (char& c : upper) {
    c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  EXPECT_EQ("Could not open " + upper, r.message);
  EXPECT_EQ("*** Could not open " + upper + "\r\n", r.output);
  // A folder is no report file.
  EXPECT_EQ(Status::kError, zudiz::compareFiles(path1, dir_.string()).status);
}

TEST_F(ReportFiles, LongNamesOpenWholeAndShowCut) {
#ifdef _WIN32
  // The test's own file calls take no long names there; the suite's wine
  // test (windows.suite) compares files at such names.
  GTEST_SKIP() << "long names are made by windows.suite";
#endif
  const std::string one = report("A 1.0 B\nC 2\n");
  const std::string two = report("A 1.5 B\nC 2\n");
  for (std::size_t length : {300u, 4000u}) {
    SCOPED_TRACE(length);
    std::filesystem::path folder = dir_;
    while (folder.string().size() + 1 + 200 + 8 < length) {
      folder /= std::string(200, 'f');
    }
    std::filesystem::create_directories(folder);
    const std::string stem =
        std::string(length - folder.string().size() - 1 - 4, 'r');
    const std::string path1 = (folder / (stem + ".one")).string();
    const std::string path2 = (folder / (stem + ".two")).string();
    ASSERT_EQ(length, path1.size());
    std::ofstream(path1, std::ios::binary) << one;
    std::ofstream(path2, std::ios::binary) << two;
    Result files = zudiz::compareFiles(path1, path2, "/ALL");
    Result texts = zudiz::compareTexts(one, two, "/ALL", path1, path2);
    EXPECT_EQ(Status::kDifferent, files.status) << files.message;
    // The names shown are cut as every name is.
    EXPECT_TRUE(files == texts) << files.output << "\n" << texts.output;
    EXPECT_EQ(std::string::npos, files.output.find(".ONE"));
  }
}

TEST_F(ReportFiles, LeavesTheProcessAsItWas) {
  const std::filesystem::path cwd = std::filesystem::current_path();
  const std::new_handler newHandler = std::get_new_handler();
#ifndef _WIN32
  struct sigaction pipeBefore {};
  sigaction(SIGPIPE, nullptr, &pipeBefore);
#endif
  const std::string path1 = write("one.rpt", report("A 1\n"));
  const std::string path2 = write("two.rpt", report("A 2\n"));
  zudiz::compareFiles(path1, path2);
  zudiz::compareFiles(path1, (dir_ / "nothing").string());
  zudiz::compareTexts("A", "B");
  zudiz::compareTexts("A", "B", "/?");

  EXPECT_EQ(cwd, std::filesystem::current_path());
  EXPECT_EQ(newHandler, std::get_new_handler());
#ifndef _WIN32
  struct sigaction pipeAfter {};
  sigaction(SIGPIPE, nullptr, &pipeAfter);
  EXPECT_EQ(pipeBefore.sa_handler, pipeAfter.sa_handler);
#endif
}

}  // namespace
