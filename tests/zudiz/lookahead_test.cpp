// The library's longer look-ahead (CompareOptions::lookahead): blocks of
// extra lines are listed as exactly those lines, ties go to the smaller
// block and then to file 1, and nothing changes where it does not apply.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "zudiz/zudiz.h"

namespace {

using zudiz::CompareOptions;
using zudiz::ListedPair;
using zudiz::Result;
using zudiz::Status;

CompareOptions lookingAhead(int lines) {
  CompareOptions options;
  options.lookahead = lines;
  return options;
}

// A table row of a report page: a name and four numbers, unique by `row`.
std::string tableRow(int page, int row) {
  return "  ROW" + std::to_string(page * 1000 + row) + "  " +
         std::to_string(row * 3 + page) + "." + std::to_string(row % 10) +
         "  " + std::to_string(page * 7 + row) + ".25  KG  " +
         std::to_string(row * row) + "\r\n";
}

// A report of `pages` pages of `rows` table rows each, under two head lines
// and a blank line; `extraRows` more rows are put on page `extraPage` after
// row `after`.
std::string report(int pages, int rows, int extraPage = 0, int after = 0,
                   int extraRows = 0) {
  std::string text;
  for (int page = 1; page <= pages; ++page) {
    text += "VAV REPORT  LOADS\r\nPAGE " + std::to_string(page) + "\r\n\r\n";
    for (int row = 1; row <= rows; ++row) {
      if (page == extraPage && row == after + 1) {
        for (int extra = 1; extra <= extraRows; ++extra) {
          text += "  NEW" + std::to_string(extra) + "  1.5  2.5  KG  " +
                  std::to_string(extra) + "\r\n";
        }
      }
      text += tableRow(page, row);
    }
    text += "\f";
  }
  return text;
}

// The report of the README: 43 pages, and a candidate with three more table
// rows on page 2.
TEST(Lookahead, ThreeInsertedRowsOfFortyThreePagesAreAllThatIsListed) {
  const std::string baseline = report(43, 54);
  const std::string candidate = report(43, 54, 2, 20, 3);

  const Result rules = zudiz::compareTexts(baseline, candidate);
  EXPECT_EQ(Status::kDifferent, rules.status);
  EXPECT_GT(rules.counts.linesDiffered, 2000);

  const Result ahead = zudiz::compareTexts(baseline, candidate, "", "FILE1",
                                           "FILE2", lookingAhead(10));
  EXPECT_EQ(Status::kDifferent, ahead.status);
  ASSERT_EQ(3u, ahead.pairs.size()) << ahead.output;
  for (std::size_t i = 0; i < 3; ++i) {
    const ListedPair& p = ahead.pairs[i];
    EXPECT_EQ(2, p.extra);
    EXPECT_EQ(
        "NEW" + std::to_string(i + 1) + " 1.5 2.5 KG " + std::to_string(i + 1),
        p.text2);
    // Page 1 is 57 lines and its form feed ends none: page 2's row 20 is
    // line 57 + 3 + 20.
    EXPECT_EQ(static_cast<std::int64_t>(81 + i), p.line2);
    EXPECT_EQ(2, p.page2);
  }
  EXPECT_EQ(3, ahead.counts.linesDiffered);
  EXPECT_EQ(15, ahead.counts.wordDifferences);
  EXPECT_EQ(0, ahead.counts.numericDifferences);
  EXPECT_EQ(0, ahead.counts.surplusLines);
  EXPECT_EQ(43 * 54 + 3, ahead.counts.linesCompared);
}

// Random reports with a block of 1 to `most` + 1 lines put into, or taken
// out of, one page: a block of up to `most` lines is listed as exactly that
// block, one marked pair per line, and one line more is beyond the reach.
TEST(Lookahead, ListsInsertedAndDeletedBlocksAsExactlyThoseLines) {
  std::mt19937 random(7);
  auto uniform = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  for (const int most : {2, 5, 10, 50}) {
    for (int size = 1; size <= most + 1; ++size) {
      for (const bool inFile1 : {true, false}) {
        const int pages = uniform(1, 4);
        const int rows = size + uniform(2, 60);
        const int page = uniform(1, pages);
        // At least one row of the page stays after the block.
        const int after = uniform(0, rows - 1);
        const std::string plain = report(pages, rows);
        const std::string more = report(pages, rows, page, after, size);
        const std::string& one = inFile1 ? more : plain;
        const std::string& two = inFile1 ? plain : more;
        SCOPED_TRACE("lookahead " + std::to_string(most) + ", block of " +
                     std::to_string(size) + " in file " +
                     (inFile1 ? "1" : "2") + " on page " +
                     std::to_string(page) + " after row " +
                     std::to_string(after));
        const Result r = zudiz::compareTexts(one, two, "/V:200", "FILE1",
                                             "FILE2", lookingAhead(most));
        if (size > most) {
          bool block = r.pairs.size() == static_cast<std::size_t>(size);
          for (const ListedPair& p : r.pairs) {
            block = block && p.extra == (inFile1 ? 1 : 2);
          }
          EXPECT_FALSE(block) << r.output;
          continue;
        }
        ASSERT_EQ(static_cast<std::size_t>(size), r.pairs.size()) << r.output;
        const std::int64_t first = (page - 1) * (rows + 3) + 3 + after + 1;
        for (int i = 0; i < size; ++i) {
          const ListedPair& p = r.pairs[static_cast<std::size_t>(i)];
          EXPECT_EQ(inFile1 ? 1 : 2, p.extra);
          EXPECT_EQ(first + i, inFile1 ? p.line1 : p.line2);
        }
        EXPECT_EQ(size, r.counts.linesDiffered);
        EXPECT_EQ(5 * size, r.counts.wordDifferences);
        EXPECT_EQ(0, r.counts.numericDifferences);
      }
    }
  }
}

// A page of `lines` under two head lines and a blank line; each line
// but a blank one reads "ITEM ", its text and an x.
std::string page(const std::vector<std::string>& lines) {
  std::string text = "HEAD\r\nPAGE 1\r\n\r\n";
  for (const std::string& line : lines) {
    text += (line.empty() ? "" : "ITEM " + line + "x") + "\r\n";
  }
  return text;
}

std::vector<int> extrasOf(const Result& r) {
  std::vector<int> extras;
  for (const ListedPair& p : r.pairs) {
    extras.push_back(p.extra);
  }
  return extras;
}

TEST(Lookahead, TakesTheSmallerBlockAndThenFileOne) {
  struct Row {
    const char* name;
    std::vector<std::string> one;
    std::vector<std::string> two;
    std::vector<int> extras;  // the marked file of each listed pair
  };
  const Row rows[] = {
      // Both files hold a block of two before the other's lines: file 1's
      // goes first, then file 2's ends the page.
      {"tie",
       {"a", "b", "c", "d", "e"},
       {"c", "d", "a", "b", "e"},
       {1, 1, 2, 2}},
      // File 2's block of two is smaller than file 1's block of three.
      // (File 1's block of three would match as well.) Then p and q close
      // the page as a block of file 1.
      {"smaller",
       {"x", "y", "z", "p", "q", "r"},
       {"p", "q", "x", "y", "z", "r"},
       {2, 2, 1, 1}},
      // The line after the block must match too: a and b are no block, as
      // d is not x; a and b are changed lines, and c one extra line.
      {"two lines", {"a", "b", "c", "d", "e"}, {"c", "x", "d", "e"}, {0, 0, 1}},
      // Of a run of blank lines in a block only the last is listed, as a
      // step passes the others.
      {"blank", {"a", "", "", "b", "c", "d"}, {"c", "d"}, {1, 1, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Result r = zudiz::compareTexts(page(row.one), page(row.two), "",
                                         "FILE1", "FILE2", lookingAhead(10));
    EXPECT_EQ(row.extras, extrasOf(r)) << r.output;
  }
}

TEST(Lookahead, OneAndValuesBelowItKeepTheProgramsRules) {
  const std::string one = page({"a", "x", "y", "b", "c"});
  const std::string two = page({"a", "b", "c"});
  const Result rules = zudiz::compareTexts(one, two);
  for (const int lines : {1, 0, -3}) {
    SCOPED_TRACE(lines);
    EXPECT_EQ(rules, zudiz::compareTexts(one, two, "", "FILE1", "FILE2",
                                         lookingAhead(lines)));
  }
  // Values above the most are the most.
  EXPECT_EQ(
      zudiz::compareTexts(one, two, "", "FILE1", "FILE2",
                          lookingAhead(zudiz::kMaxLookahead)),
      zudiz::compareTexts(one, two, "", "FILE1", "FILE2", lookingAhead(1000)));
  EXPECT_NE(rules.output,
            zudiz::compareTexts(one, two, "", "FILE1", "FILE2", lookingAhead(2))
                .output);
}

TEST(Lookahead, LeavesWordModeAsItIs) {
  const std::string one = page({"a1 b1", "x1 y1", "u1 v1", "c1 d1"});
  const std::string two = page({"a1 b1", "c1 d1"});
  EXPECT_EQ(zudiz::compareTexts(one, two, "/WORD"),
            zudiz::compareTexts(one, two, "/WORD", "FILE1", "FILE2",
                                lookingAhead(10)));
}

// Lines so long that the window holds fewer than the look-ahead asks for:
// the lines it cannot hold are not looked at, and the run ends normally.
TEST(Lookahead, LongLinesNeverMakeThePageTooLarge) {
  std::string one = "HEAD\r\nPAGE 1\r\n\r\n";
  std::string two = one;
  for (int line = 0; line < 40; ++line) {
    const std::string filler(2500, static_cast<char>('a' + line % 26));
    one += "L" + std::to_string(line) + " " + filler + "\r\n";
    two += "M" + std::to_string(line) + " " + filler + "\r\n";
  }
  const Result rules = zudiz::compareTexts(one, two, "/V:0");
  const Result ahead =
      zudiz::compareTexts(one, two, "/V:0", "FILE1", "FILE2", lookingAhead(50));
  EXPECT_EQ(Status::kDifferent, rules.status) << rules.message;
  EXPECT_EQ(Status::kDifferent, ahead.status) << ahead.message;
  EXPECT_EQ(rules.output, ahead.output);
}

}  // namespace
