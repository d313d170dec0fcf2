#include "compare/equal_runs.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/open_reports.h"

namespace {

using namespace std::string_literals;

std::string show(const ReaderPosition& p) {
  return std::to_string(p.tokenStart) + "+" + std::to_string(p.tokenLength) +
         " line " + std::to_string(p.lineCount) + (p.atLineEnd ? " end" : "");
}

// Where a walk of `count` lines with nextToken, from the current word of
// file `side`, finds the last line's first word, its last word and its
// line end.
std::string walkLines(RunState& run, Side side, int count) {
  ReaderPosition& pos = position(run, side);
  std::string first;
  std::string last;
  for (int line = 0; line < count; ++line) {
    if (line > 0) {
      nextToken(run, side);
    }
    first = show(pos);
    while (!pos.atLineEnd) {
      last = show(pos);
      nextToken(run, side);
    }
  }
  return first + " / " + last + " / " + show(pos);
}

std::string shown(const EqualLines& equal, int index) {
  return show(equal.firstWord[index]) + " / " + show(equal.lastWord[index]) +
         " / " + show(equal.lineEnd[index]);
}

TEST(EqualRuns, FindEqualLinesStopsWhereTheLinesStopReadingTheSame) {
  struct Row {
    const char* name;
    std::string one;
    std::string two;
    bool stopAtTags;
    int count;
    // When the run ends with runs of blank lines: the first and last blank
    // line ends of file 1, then of file 2.
    const char* blanks = "";
  };
  std::string many;
  while (many.size() < 40000) {
    many += "ab 12,5\n";
  }
  const Row rows[] = {
      {"to the file end", "a b\nc d\n", "a b\nc d\n", true, 2},
      {"a changed line", "a b\nc d\n", "a b\nc e\n", true, 1},
      // Single lowercase letters read as the same number (0 with a unit),
      // but a run begins with a pair that reads the same byte for byte.
      {"the first line changed", "a b\nc d\n", "a c\nc d\n", true, 0},
      {"the first line changed in a word", "a B\nc d\n", "a C\nc d\n", true, 0},
      {"a page end", "a\nb\n\fc\n", "a\nb\n\fc\n", true, 2},
      {"a line that ends in a page end", "a\fb\n", "a\fb\n", true, 0},
      {"a tagged line", "a\nD&T=1\nb\n", "a\nD&T=1\nb\n", true, 1},
      {"a tagged line, tags compared", "a\nD&T=1\nb\n", "a\nD&T=1\nb\n", false,
       3},
      {"the first line is not looked at for tags", "P&V=1\nb\nP&V=2 x\n",
       "P&V=1\nb\nP&V=2 x\n", true, 2},
      {"no tag without its =", "a\nD&T x\nb\n", "a\nD&T x\nb\n", true, 3},
      {"CR LF against LF", "a\r\nb\n", "a\nb\n", true, 0},
      {"CR LF against a lone CR", "a\r\nb\n", "a\rxb\n", true, 0},
      {"lone CRs and CR LF", "a\rb\r\nc\n", "a\rb\r\nc\n", true, 3},
      {"other trailing blanks", "a \nb\n", "a\nb\n", true, 0},
      {"another indent", "a\n b\n", "a\n  b\n", true, 2},
      {"the next word differs", "a\nbc\n", "a\nbd\n", true, 1},
      {"the byte after a comma differs", "a\n1,2\n", "a\n1,x\n", true, 1},
      {"commas", "1,234 x,\n1,5,\n 2 ,3\n", "1,234 x,\n1,5,\n 2 ,3\n", true, 3},
      {"one word between blanks", "  abc  \nd\n", "  abc  \nd\n", true, 2},
      {"up to the end of the buffer", many, many, true, 3748},
      {"blank lines in both", "a\n\nb\n", "a\n\nb\n", true, 2},
      {"blank lines in one only", "a\n\nb\n", "a\nb\n", true, 1},
      {"blank lines before a page end", "a\n\n\fb\n", "a\n\n\fb\n", true, 1},
      {"blank lines before the file end", "a\n\n\n", "a\n\n", true, 1},
      {"blank lines before a changed line", "a\n\nb\n", "a\n  \r\n\rc\n", true,
       1, "2+1 line 2 end 2+1 line 2 end | 4+2 line 2 end 6+1 line 3 end"},
      {"blank lines before a tagged line", "a\n\n\nD&T=1\n", "a\n\nD&T=1\n",
       true, 1,
       "2+1 line 2 end 3+1 line 3 end | 2+1 line 2 end 2+1 line 2 end"},
      // Numbers the word rules excuse: the run goes on over them, but its
      // last line reads the same byte for byte.
      {"an excused number", "a\na 1000.1 b\nc\n", "a\na 1000.2 b\nc\n", true,
       3},
      {"an excused number in the first word", "a\n1000.1\nc\n",
       "a\n1000.2\nc\n", true, 3},
      {"an excused number in the first line", "a 1000.1\nc\n", "a 1000.2\nc\n",
       true, 0},
      {"an excused number on the last line", "a\nb 1000.1\n", "a\nb 1000.2\n",
       true, 1},
      {"an excused number before blank lines", "a\nb 1000.1\n\nc\n",
       "a\nb 1000.2\n\n\nc\n", true, 3},
      {"an excused number, then a changed line", "a\nb 1000.1\nc\n",
       "a\nb 1000.2\nd\n", true, 1},
      {"a number apart by more", "a\na 10 b\nc\n", "a\na 12 b\nc\n", true, 1},
      {"equal numbers of other lengths", "a\na 1.5 b\nc\n", "a\na 1.50 b\nc\n",
       true, 1},
      {"a comma that parts words in one file", "a\na 1,5\nc\n", "a\na 1,x\nc\n",
       true, 1},
      {"other line ends after an excused number", "a\na 1000.1\r\nc\n",
       "a\na 1000.2\nc\n", true, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    RunState run{host};
    openReports(host, run, row.one, row.two);
    nextTokenBoth(run);
    const EqualLines equal = findEqualLines(run, row.stopAtTags);
    EXPECT_EQ(row.count, equal.count);
    std::string blanks;
    if (equal.blankAfter) {
      blanks = show(equal.firstBlank[0]) + " " + show(equal.lastBlank[0]) +
               " | " + show(equal.firstBlank[1]) + " " +
               show(equal.lastBlank[1]);
    }
    EXPECT_EQ(row.blanks, blanks);
    if (equal.count == 0 ||
        std::string(row.one).find("\n\n") != std::string::npos) {
      continue;  // the walk below knows no blank lines
    }
    // The walk reads only bytes in the buffers.
    const int reads = host.readCalls;
    EXPECT_EQ(walkLines(run, Side::kOne, equal.count), shown(equal, 0));
    EXPECT_EQ(walkLines(run, Side::kTwo, equal.count), shown(equal, 1));
    EXPECT_EQ(reads, host.readCalls);
  }
}

TEST(EqualRuns, FindEqualLinesKeepsTheExcusedNumbersInOrder) {
  FakeHost host;
  RunState run{host};
  openReports(host, run, "v\nx 1000.1 y 2.5\n\nz 7.25\nq 1000.1\nw\n",
              "v\nx 1000.2 y 2.6\n\n\nz 7.25\nq 1000.2\nw\n");
  nextTokenBoth(run);
  const EqualLines equal = findEqualLines(run, true);
  EXPECT_EQ(5, equal.count);
  ASSERT_EQ(3, equal.excusedCount);
  std::string excused;
  for (int k = 0; k < equal.excusedCount; ++k) {
    const ExcusedNumbers& n = equal.excused[static_cast<std::size_t>(k)];
    excused += std::to_string(static_cast<int>(n.verdict)) + " " +
               std::to_string(n.units1) + " " + std::to_string(n.units2) +
               " lines " + std::to_string(n.line1) + " " +
               std::to_string(n.line2) + "; ";
  }
  // Tiny (1), last place (2); the lines as each file numbers them.
  EXPECT_EQ(
      "1 10001000 10002000 lines 2 2; 2 25000 26000 lines 2 2; "
      "1 10001000 10002000 lines 5 6; ",
      excused);
}

TEST(EqualRuns, FindEqualLinesWantsBothFilesOnAWordInLineMode) {
  for (bool wordMode : {false, true}) {
    FakeHost host;
    RunState run{host};
    run.settings.wordMode = wordMode;
    openReports(host, run, "\na b\nc\n", "\na b\nc\n");
    nextTokenBoth(run);  // on the blank line
    EXPECT_EQ(0, findEqualLines(run, true).count);
    nextTokenBoth(run);
    EXPECT_EQ(wordMode ? 0 : 2, findEqualLines(run, true).count);
  }
}

}  // namespace
