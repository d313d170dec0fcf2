#include "listing/listing.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "core/run_state.h"
#include "listing/pending_diff.h"
#include "support/fake_host.h"

namespace {

struct ListingTest : ::testing::Test {
  FakeHost host;
  RunState run{host};

  void SetUp() override {
    setDefaults(run);
    labels("ONE", "TWO");
  }
  void labels(const char* one, const char* two) {
    run.files[Side::kOne].fileLabel.assign(one);
    run.files[Side::kTwo].fileLabel.assign(two);
    run.values.labelWidth = static_cast<std::uint32_t>(
        std::max<std::size_t>({3, std::strlen(one), std::strlen(two)}));
  }
  // Sets the pending pair directly, as the word comparison leaves it.
  void pending(const std::string& text1, std::uint32_t line1,
               const std::string& text2, std::uint32_t line2) {
    run.pending.diffText(Side::kOne).assign(text1);
    run.pending.diffText(Side::kTwo).assign(text2);
    run.pending.diffLine(Side::kOne) = line1;
    run.pending.diffLine(Side::kTwo) = line2;
  }
  // Lists the pending pair and returns what was printed.
  std::string list(std::optional<Side> extra) {
    host.output.clear();
    listDifference(run, extra);
    run.out.flush();
    EXPECT_TRUE(run.pending.diffText(Side::kOne).empty());
    EXPECT_TRUE(run.pending.diffText(Side::kTwo).empty());
    EXPECT_EQ(0u, run.pending.diffLine(Side::kOne));
    return host.output;
  }
};

TEST_F(ListingTest, LinePairUnderTheHeading) {
  labels("REPORT1.OUT", "REPORT2.OUT");
  pending("12.50 3.1416 ", 57, "12.75 3.1    ", 57);
  EXPECT_EQ(
      "\r\n"
      "FILE         LINE   DIFFERENCES\r\n"
      "REPORT1.OUT    57   12.50 3.1416\r\n"
      "REPORT2.OUT    57   12.75 3.1   \r\n"
      "\r\n",
      list(std::nullopt));
  pending("a ", 1234567, "b ", 0);
  EXPECT_EQ(
      "REPORT1.OUT1234567   a\r\n"
      "REPORT2.OUT         b\r\n"
      "\r\n",
      list(std::nullopt));
  EXPECT_EQ(2, run.values.pairsListed);
}

TEST_F(ListingTest, ExtraWordsAndLineEndColumns) {
  EXPECT_EQ(
      "", list(std::nullopt));  // nothing pending: no heading, nothing counted
  EXPECT_EQ(0, run.values.pairsListed);
  labels("A.RPT", "B");
  pending("      ", 12, "EXTRA ", 13);
  EXPECT_EQ(
      "\r\n"
      "FILE   LINE   DIFFERENCES\r\n"
      "A.RPT    12        \r\n"
      "B        13 + EXTRA\r\n"
      "\r\n",
      list(Side::kTwo));
  // A line end of file 1 against one of file 2: one empty column.
  pending(" ", 8, " ", 5);
  EXPECT_EQ(
      "A.RPT     8 + \r\n"
      "B         5   \r\n"
      "\r\n",
      list(Side::kOne));
}

TEST_F(ListingTest, CapOnPairs) {
  struct {
    std::int32_t maxPairs;
    int pairs;
    std::int32_t counted;
    const char* notice;
  } rows[] = {
      {0, 3, 0, nullptr},
      {1, 3, 3, "*** More than 1 difference\r\n\r\n"},
      {100, 100, 100, nullptr},
      {100, 102, 102, "*** More than 100 differences\r\n\r\n"},
  };
  const std::string pair =
      "ONE     1   x\r\n"
      "TWO     1   y\r\n"
      "\r\n";
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.maxPairs << " / " << row.pairs);
    setDefaults(run);
    run.settings.maxPairs = row.maxPairs;
    std::string printed;
    for (int i = 0; i < row.pairs; ++i) {
      pending("x ", 1, "y ", 1);
      printed += list(std::nullopt);
    }
    std::string expected;
    if (row.maxPairs > 0) {
      expected = "\r\nFILE LINE   DIFFERENCES\r\n";
      for (int i = 0; i < std::min(row.pairs, row.maxPairs); ++i) {
        expected += pair;
      }
    }
    if (row.notice != nullptr) {
      expected += row.notice;
    }
    EXPECT_EQ(expected, printed);
    EXPECT_EQ(row.counted, run.values.pairsListed);
  }
}

TEST_F(ListingTest, WordModeListsEachColumnAsAPair) {
  run.settings.wordMode = true;
  labels("REPORT1.OUT", "REPORT2.OUT");
  pending("12.50 3.1416 ", 57, "12.75 3.1    ", 58);
  EXPECT_EQ(
      "\r\n"
      "FILE         LINE   DIFFERENCES\r\n"
      "REPORT1.OUT    57   12.50\r\n"
      "REPORT2.OUT    58   12.75\r\n"
      "\r\n"
      "REPORT1.OUT    57   3.1416\r\n"
      "REPORT2.OUT    58   3.1   \r\n"
      "\r\n",
      list(std::nullopt));
  EXPECT_EQ(2, run.values.pairsListed);
}

TEST_F(ListingTest, WordModeColumnsEndWhereFileOneHasAWord) {
  run.settings.wordMode = true;
  run.values.pairsListed = 1;  // no heading
  // Columns: (-, 1234) (-, 56) (abc, abd) (-, 7) (xy, xz).
  pending(
      "     "
      "   "
      "abc "
      "  "
      "xy ",
      4,
      "1234 "
      "56 "
      "abd "
      "7 "
      "xz ",
      4);
  EXPECT_EQ(
      "ONE     4   "
      "       \r\n"
      "TWO     4   1234 56\r\n"
      "\r\n"
      "ONE     4   abc  \r\n"
      "TWO     4   abd 7\r\n"
      "\r\n"
      "ONE     4   xy\r\n"
      "TWO     4   xz\r\n"
      "\r\n",
      list(std::nullopt));
  EXPECT_EQ(4, run.values.pairsListed);
}

TEST_F(ListingTest, WordModeStopsAtTheCap) {
  run.settings.wordMode = true;
  run.settings.maxPairs = 2;
  run.values.pairsListed = 1;
  pending("a b c ", 1, "d e f ", 1);
  EXPECT_EQ(
      "ONE     1   a\r\n"
      "TWO     1   d\r\n"
      "\r\n"
      "*** More than 2 differences\r\n"
      "\r\n",
      list(std::nullopt));
  EXPECT_EQ(3, run.values.pairsListed);
}

TEST_F(ListingTest, FullTextsArePrintedWhole) {
  std::string full1(255, 'w');
  std::string full2 = "v" + std::string(254, ' ');
  run.values.pairsListed = 1;
  pending(full1, 1, full2, 1);
  EXPECT_EQ("ONE     1   " + full1 + "\r\n" + "TWO     1   " +
                full2.substr(0, 254) + "\r\n\r\n",
            list(std::nullopt));
  run.settings.wordMode = true;
  pending(full1, 1, full2, 1);
  EXPECT_EQ("ONE     1   " + full1 + "\r\n" + "TWO     1   " +
                full2.substr(0, 254) + "\r\n\r\n",
            list(std::nullopt));
}

}  // namespace
