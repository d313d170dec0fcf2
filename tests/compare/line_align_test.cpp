#include "compare/line_align.h"

#include <cstdint>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "compare/compare_run.h"
#include "reader/checkpoints.h"

namespace {

struct AlignCase {
  const char* name;
  bool wordMode;
  std::int32_t skipHead;
  const char* one;
  const char* two;
  const char* pairs;  // the listed pairs, without the heading
  std::int32_t compared;
  std::int32_t differed;
  std::int32_t words;
};

// Files that open with a head line and a blank line, for skipHead 1.
#define HEAD "HEAD\n\n"

const AlignCase kAlignCases[] = {
    {"extra line in file 1", false, 0, "A\nX\nB\nC\n", "A\nB\nC\n",
     "ONE     2 + X\n"
     "TWO     2    \n\n",
     4, 1, 1},
    {"extra line in file 2", false, 0, "A\nB\nC\n", "A\nX\nB\nC\n",
     "ONE     2    \n"
     "TWO     2 + X\n\n",
     4, 1, 1},
    {"two extra lines come out as changed pairs and a one-sided rest", false, 0,
     "A\nX\nY\nB\nC\n", "A\nB\nC\n",
     "ONE     2   X\n"
     "TWO     2   B\n\n"
     "ONE     3   Y\n"
     "TWO     3   C\n\n"
     "ONE     4 + B\n"
     "TWO     4    \n\n"
     "ONE     5 + C\n"
     "TWO     4    \n\n",
     5, 4, 4},
    {"changed line", false, 0, "A\nX\nC\n", "A\nY\nC\n",
     "ONE     2   X\n"
     "TWO     2   Y\n\n",
     3, 1, 1},
    {"a matching next pair wins over an extra line", false, 0, "A\nP\nQ\n",
     "A\nQ\nQ\n",
     "ONE     2   P\n"
     "TWO     2   Q\n\n",
     3, 1, 1},
    {"blank runs of unequal length match", false, 0, "A\n\nB\n", "A\n\n\n\nB\n",
     "", 2, 0, 0},
    {"one blank line against none is an extra blank line", false, 0, "A\n\nB\n",
     "A\nB\n",
     "ONE     2 + \n"
     "TWO     2   \n\n",
     3, 1, 0},
    {"of two blank lines against none the second is listed", false, 0,
     "A\n\n\nB\n", "A\nB\n",
     "ONE     3 + \n"
     "TWO     2   \n\n",
     3, 1, 0},
    {"blank line in file 2 only", false, 0, "A\nB\nC\n", "A\n\nB\nC\n",
     "ONE     2   \n"
     "TWO     2 + \n\n",
     4, 1, 0},
    {"P&V= pair is passed over", false, 1, HEAD "A\nP&V=1 XX\nB\n",
     HEAD "A\nP&V=2 YY\nB\n", "", 2, 0, 0},
    {"D&T= pair is passed over", false, 1, HEAD "A\nD&T=1 XX\nB\n",
     HEAD "A\nD&T=2 YY\nB\n", "", 2, 0, 0},
    {"tags of different kinds are compared", false, 1, HEAD "D&T=1\n",
     HEAD "P&V=1\n",
     "ONE     3   D&T=1\n"
     "TWO     3   P&V=1\n\n",
     1, 1, 1},
    {"tagged pair is compared when skipHead is 0", false, 0, "A\nP&V=1 XX\nB\n",
     "A\nP&V=2 YY\nB\n",
     "ONE     2   P&V=1 XX\n"
     "TWO     2   P&V=2 YY\n\n",
     3, 1, 2},
    {"tag in one file only is compared", false, 1, HEAD "A\nP&V=1 XX\n",
     HEAD "A\nQ&V=1 XX\n",
     "ONE     4   P&V=1\n"
     "TWO     4   Q&V=1\n\n",
     2, 1, 1},
    {"extra word in file 2", false, 0, "A B C\n", "A B X C\n",
     "ONE     1    \n"
     "TWO     1   X\n\n",
     1, 1, 1},
    {"extra word in file 1 then a changed word", false, 0, "AA XX BB CC\n",
     "AA BB DD\n",
     "ONE     1   XX CC\n"
     "TWO     1      DD\n\n",
     1, 1, 2},
    {"changed word", false, 0, "AA BB CC\n", "AA DD CC\n",
     "ONE     1   BB\n"
     "TWO     1   DD\n\n",
     1, 1, 1},
    {"a matching next pair wins over an extra word", false, 0, "AA PP QQ\n",
     "AA QQ QQ\n",
     "ONE     1   PP\n"
     "TWO     1   QQ\n\n",
     1, 1, 1},
    {"word left over at the line end", false, 0, "AA BB\n", "AA\n",
     "ONE     1   BB\n"
     "TWO     1     \n\n",
     1, 1, 1},
    {"excused number counts as compared, not differed", false, 0, "AA 1000.0\n",
     "AA 1000.5\n", "", 1, 0, 0},
    {"runs of equal lines around a tagged pair", false, 1,
     HEAD "A 1\nB\nD&T=1 X\nC\nD 2\n", HEAD "A 1\nB\nD&T=2 Y\nC\nD 2\n", "", 4,
     0, 0},
    {"a changed line ends a run of equal lines", false, 0, "A\nB\nC X\nD\n",
     "A\nB\nC Y\nD\n",
     "ONE     3   X\n"
     "TWO     3   Y\n\n",
     4, 1, 1},
    {"lines that read the same with other line ends and blanks", false, 0,
     "A  1\r\nB\r\nC\n", "A 1\nB\rC\r\n", "", 3, 0, 0},
    // Trials that match only by the number rules (lines followed by more
    // lines, so that the whole trial lies in the buffers).
    {"next pair matches in the last place", false, 0, "A\nP\nQ 1.0\nZ\nZ\n",
     "A\nR\nQ 1.1\nZ\nZ\n",
     "ONE     2   P\n"
     "TWO     2   R\n\n",
     5, 1, 1},
    {"extra line found by a tiny difference", false, 0,
     "A\nX 1\nB 1000.0\nZ\nZ\n", "A\nB 1000.5\nZ\nZ\n",
     "ONE     2 + X 1\n"
     "TWO     2      \n\n",
     5, 1, 2},
    {"next word matches in the last place", false, 0, "AA XX 1.0 CC\nZZ\n",
     "AA YY 1.1 CC\nZZ\n",
     "ONE     1   XX\n"
     "TWO     1   YY\n\n",
     2, 1, 1},
    {"extra word found by a tiny difference", false, 0, "AA XX 1000.0 CC\nZZ\n",
     "AA 1000.5 CC\nZZ\n",
     "ONE     1   XX\n"
     "TWO     1     \n\n",
     2, 1, 1},
    {"word mode: extra word listed at once", true, 0, "AA BB CC\n", "AA CC\n",
     "ONE     1 + BB\n"
     "TWO     1     \n\n",
     0, 0, 1},
    {"word mode: extra word in file 2", true, 0, "AA CC\n", "AA BB CC\n",
     "ONE     1     \n"
     "TWO     1 + BB\n\n",
     0, 0, 1},
    {"word mode: changed word", true, 0, "AA BB CC\n", "AA DD CC\n",
     "ONE     1   BB\n"
     "TWO     1   DD\n\n",
     0, 0, 1},
    {"word mode: a matching next pair wins over an extra word", true, 0,
     "AA PP QQ\n", "AA QQ QQ\n",
     "ONE     1   PP\n"
     "TWO     1   QQ\n\n",
     0, 0, 1},
    {"word mode: line ends do not matter", true, 0, "AA BB\nCC\n",
     "AA\n\nBB CC\n", "", 0, 0, 0},
};

#undef HEAD

TEST(LineAlign, Cases) {
  for (const AlignCase& c : kAlignCases) {
    SCOPED_TRACE(c.name);
    CompareRun cr;
    cr.run.settings.wordMode = c.wordMode;
    cr.run.settings.skipHead = c.skipHead;
    EXPECT_EQ(listingOf(c.pairs), cr.compare(c.one, c.two));
    EXPECT_EQ(-1, cr.status);
    const Counters& n = cr.run.counters;
    EXPECT_EQ(c.compared, n.linesCompared);
    EXPECT_EQ(c.differed, n.linesDiffered);
    EXPECT_EQ(c.words, n.words.wordDiffCount);
    EXPECT_EQ(0, n.words.numericDiffCount);
    EXPECT_EQ(0, n.extraCount);
  }
}

TEST(LineAlign, ListingLinesEndInCrLf) {
  CompareRun cr;
  cr.run.settings.skipHead = 0;
  cr.compare("A\nX\n", "A\nY\n");
  EXPECT_EQ(
      "\r\nFILE LINE   DIFFERENCES\r\n"
      "ONE     2   X\r\n"
      "TWO     2   Y\r\n\r\n",
      cr.host.output);
}

// A trial that is not taken leaves no count behind: the look-ahead pair and
// the extra-line trials all differ here, yet only the pair itself counts.
TEST(LineAlign, UndoneTrialsLeaveNoCounts) {
  CompareRun cr;
  cr.run.settings.skipHead = 0;
  EXPECT_EQ(listingOf("ONE     1   1.5 XX\n"
                      "TWO     1   2.5 YY\n\n"
                      "ONE     2   7 8 9\n"
                      "TWO     2   3 4 5\n\n"),
            cr.compare("1.5 XX\n7 8 9\n", "2.5 YY\n3 4 5\n"));
  const Counters& n = cr.run.counters;
  EXPECT_EQ(2, n.linesCompared);
  EXPECT_EQ(2, n.linesDiffered);
  EXPECT_EQ(1, n.words.wordDiffCount);
  EXPECT_EQ(4, n.words.numericDiffCount);
}

// Within a line, a changed word followed by a matching pair keeps the
// matched pair consumed; the line is still one listing.
TEST(LineAlign, ChangedWordsOfOneLineShareOneListing) {
  CompareRun cr;
  cr.run.settings.skipHead = 0;
  EXPECT_EQ(listingOf("ONE     1   BB    DD\n"
                      "TWO     1   XXXXX YY\n\n"),
            cr.compare("AA BB CC DD EE\n", "AA XXXXX CC YY EE\n"));
  EXPECT_EQ(2, cr.run.counters.words.wordDiffCount);
  EXPECT_EQ(1, cr.run.counters.linesDiffered);
}

TEST(LineAlign, ListRestOfLineStopsAtPageEnd) {
  CompareRun cr;
  cr.run.settings.skipHead = 0;
  cr.run.settings.noPage = false;
  // File 2's rest "BB CC" runs into a page end; the next page is compared
  // with file 1's next page.
  EXPECT_EQ(listingOf("ONE     2        \n"
                      "TWO     2 + BB CC\n\n"),
            cr.compare("AA\n\fDD\n", "AA\nBB CC\fDD\n"));
  EXPECT_EQ(3, cr.run.counters.linesCompared);
  EXPECT_EQ(2, cr.run.counters.words.wordDiffCount);
}

// The text of report lines, one a line: words, numbers, tagged lines and
// runs of blank lines, of other lengths in file 2 now and then; file 2
// changes, adds and drops a few lines.
void makeLines(unsigned seed, std::string& one, std::string& two) {
  const char* const words[] = {"alpha", "12.5", "1,234", "x",
                               "D",     "-7e3", "beta,", "D&T"};
  std::mt19937 random(seed);
  while (one.size() < 90000) {
    std::string line;
    const auto kind = random() % 40;
    if (kind == 0) {
      for (auto n = 1 + random() % 3; n > 0; --n) {
        one += std::string(random() % 3, ' ') + "\n";
      }
      for (auto n = 1 + random() % 3; n > 0; --n) {
        two += "\n";
      }
      continue;
    }
    if (kind == 1) {
      line = (random() % 2 == 0 ? "D&T=" : "P&V=") +
             std::to_string(random() % 9) + " tag";
    } else {
      line = std::string(random() % 3, ' ');
      for (auto n = 1 + random() % 6; n > 0; --n) {
        line += words[random() % 8];
        line += std::string(1 + random() % 2, ' ');
      }
    }
    one += line + "\n";
    const auto change = random() % 150;
    if (change == 0) {
      two += line + " changed\n";
    } else if (change == 1) {
      two += line + "\nextra line\n";
    } else if (change != 2) {
      two += line + "\n";
    }
  }
}

// The state of file 1 and of the comparison: position, marks, window,
// counters, pending difference and listing.
std::string stateOf(CompareRun& cr) {
  RunState& run = cr.run;
  const PageReader& r = run.readers[Side::kOne];
  auto show = [](const ReaderPosition& p) {
    return std::to_string(p.tokenStart) + "+" + std::to_string(p.tokenLength) +
           "/" + std::to_string(p.lineCount) + (p.atLineEnd ? "e " : " ");
  };
  const Counters& n = run.counters;
  return "window " + std::to_string(r.windowStart) + " " +
         std::to_string(r.bufLen) + " at " + show(r.position) + "word " +
         show(checkpointPosition(run, Checkpoint::kWordStart, Side::kOne)) +
         "line " +
         show(checkpointPosition(run, Checkpoint::kLineStart, Side::kOne)) +
         "alt " +
         show(checkpointPosition(run, Checkpoint::kPairStart, Side::kOne)) +
         "counts " + std::to_string(n.linesCompared) + " " +
         std::to_string(n.linesDiffered) + " " +
         std::to_string(n.words.wordDiffCount) + " " +
         std::to_string(n.words.numericDiffCount) + " " +
         std::to_string(n.words.lastDigitCount) + " " +
         std::to_string(n.words.tinyDiffCount) + " pending " +
         std::string(run.pending.diffText(Side::kOne).view()) + "|" +
         std::string(run.pending.diffText(Side::kTwo).view()) + " listing " +
         cr.host.output;
}

// Line pairs that read the same byte for byte are passed in one step. That
// step must leave file 1 (position, marks, window) and the comparison where
// comparing the pairs one by one leaves them. The second run's file 2 ends
// its lines in CR LF, so that none of its pairs reads the same byte for byte
// and each is compared word by word.
TEST(LineAlign, EqualLinesEndWhereComparingThemOneByOneEnds) {
  for (unsigned seed = 1; seed <= 3; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::string one;
    std::string two;
    makeLines(seed, one, two);
    std::string twoCrLf;
    for (char c : two) {
      twoCrLf += c == '\n' ? "\r\n" : std::string(1, c);
    }
    CompareRun fast;
    CompareRun slow;
    fast.open(one, two);
    slow.open(one, twoCrLf);
    for (CompareRun* cr : {&fast, &slow}) {
      cr->run.settings.skipHead = 1;  // tagged pairs are passed over
      nextTokenBoth(cr->run);
    }
    int steps = 0;
    int fastSteps = 0;
    auto atPageEnd = [](CompareRun& cr, Side side) {
      return charAt(cr.run, side, 0) == kFf;
    };
    // How far a file is: a blank line's line end comes before the word of
    // the line after it.
    auto progress = [](CompareRun& cr, Side side) {
      const ReaderPosition& p = position(cr.run, side);
      return std::int64_t{p.lineCount} * 2 + (p.atLineEnd ? 0 : 1);
    };
    auto behind = [&] {
      return progress(slow, Side::kOne) < progress(fast, Side::kOne) ||
             progress(slow, Side::kTwo) < progress(fast, Side::kTwo);
    };
    while (!atPageEnd(fast, Side::kOne) && !atPageEnd(fast, Side::kTwo)) {
      compareLinePair(fast.run);
      ++fastSteps;
      while (behind() && !atPageEnd(slow, Side::kOne) &&
             !atPageEnd(slow, Side::kTwo)) {
        compareLinePair(slow.run);
        ++steps;
      }
      ASSERT_EQ(stateOf(slow), stateOf(fast));
    }
    // Most pairs were passed in runs.
    EXPECT_GT(steps, 4000);
    EXPECT_LT(fastSteps * 2, steps);
  }
}

}  // namespace
