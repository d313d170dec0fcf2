#include "suite/console.h"

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

namespace {

using suite::PairStatus;

TEST(SuiteConsole, PairLines) {
  struct Row {
    const char* what;
    PairStatus status;
    zudiz::Counts counts;
    const char* message;
    const char* line;
  };
  const Row rows[] = {
      {"same", PairStatus::kSame, {}, "", ""},
      {"different",
       PairStatus::kDifferent,
       {0, 120, 3, 8, 1, 1, 1},
       "",
       "different  sub/r.rpt  3 lines, 8 words, 1 number (2 excused)"},
      {"singular",
       PairStatus::kDifferent,
       {0, 1, 1, 1, 0, 0, 0},
       "",
       "different  sub/r.rpt  1 line, 1 word, 0 numbers"},
      {"surplus in baseline",
       PairStatus::kDifferent,
       {4, 9, 0, 0, 0, 0, 0},
       "",
       "different  sub/r.rpt  0 lines, 0 words, 0 numbers, 4 more lines "
       "in baseline"},
      {"surplus in candidate",
       PairStatus::kDifferent,
       {-1, 9, 0, 0, 2, 0, 3},
       "",
       "different  sub/r.rpt  0 lines, 0 words, 2 numbers, 1 more line "
       "in candidate (3 excused)"},
      {"missing",
       PairStatus::kMissing,
       {},
       "only in candidate: new.rpt",
       "missing    only in candidate: new.rpt"},
      {"error",
       PairStatus::kError,
       {},
       "Page too large to fit in buffer",
       "error      sub/r.rpt: Page too large to fit in buffer"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    suite::PairResult pair = suite_test::pairNamed("sub/r.rpt", row.status);
    pair.result.counts = row.counts;
    pair.message = row.message;
    EXPECT_EQ(row.line, suite::pairLine(pair));
  }
}

TEST(SuiteConsole, ClosingLine) {
  suite::Totals totals{52, 40, 9, 2, 1};
  EXPECT_EQ("52 pairs: 40 same, 9 different, 2 missing, 1 error in 1.23 s",
            suite::closingLine(totals, 1.234));
  EXPECT_EQ("1 pair: 1 same, 0 different, 0 missing, 0 errors in 0.00 s",
            suite::closingLine({1, 1, 0, 0, 0}, 0.001));
}

TEST(SuiteConsole, ListingTakesPlainLineEnds) {
  EXPECT_EQ("a\nb\n", suite::listingText("a\r\nb\r\n"));
  EXPECT_EQ("a\rb\n", suite::listingText("a\rb"));
  EXPECT_EQ("", suite::listingText(""));
  EXPECT_EQ("x\r\n", suite::listingText("x\r\r\n"));
}

TEST(SuiteConsole, Bytes) {
  struct Row {
    double bytes;
    const char* text;
  };
  const Row rows[] = {
      {0, "0 B"},          {999, "999 B"},        {1000, "1.00 kB"},
      {1499, "1.50 kB"},   {12345, "12.3 kB"},    {999499, "999 kB"},
      {999950, "1.00 MB"}, {123456789, "123 MB"}, {1.2e9, "1.20 GB"},
      {5e15, "5000 TB"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    EXPECT_EQ(row.text, suite::formatBytes(row.bytes));
  }
}

TEST(SuiteConsole, ProgressLine) {
  suite::Progress p;
  p.pairsTotal = 52;
  EXPECT_EQ("0/52 pairs  0 B read", suite::progressLine(p));
  p.pairsDone = 12;
  p.bytesDone = 100000000;
  p.bytesTotal = 400000000;
  p.seconds = 10;
  EXPECT_EQ("12/52 pairs  100 MB read  10.0 MB/s  0:30 left",
            suite::progressLine(p));
  p.bytesTotal = 100000000 + 10000000LL * 3725;
  EXPECT_EQ("12/52 pairs  100 MB read  10.0 MB/s  1:02:05 left",
            suite::progressLine(p));
}

}  // namespace
