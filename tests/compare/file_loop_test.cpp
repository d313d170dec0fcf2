#include "compare/file_loop.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "compare/compare_run.h"

namespace {

struct PageCase {
  const char* name;
  bool wordMode;
  bool noPage;
  std::int32_t skipHead;
  std::int32_t skipFoot;
  const char* one;
  const char* two;
  const char* pairs;  // the listed pairs, without the heading
  std::int32_t compared;
  std::int32_t differed;
  std::int32_t words;
  std::int32_t extra;
};

// Two head lines and a blank line: with skipHead 2 the head block measured
// on the first page is empty.
#define HEAD "T1\nT2\n\n"

const PageCase kPageCases[] = {
    {"identical files", false, true, 2, 0, HEAD "AA\nBB\n\f" HEAD "CC\nDD\n",
     HEAD "AA\nBB\n\f" HEAD "CC\nDD\n", "", 4, 0, 0, 0},
    {"extra page in file 2 counts its line ends", false, true, 2, 0,
     HEAD "AA\n", HEAD "AA\n\f" HEAD "BB\nCC\n", "", 1, 0, 0, -5},
    {"extra page in file 1 counts its line ends", false, true, 2, 0,
     HEAD "AA\n\f" HEAD "BB\nCC\n", HEAD "AA\n", "", 1, 0, 0, 5},
    {"surplus page that opens with a blank line counts it", false, true, 0, 0,
     "AA\n", "AA\n\f\nBB\n", "", 1, 0, 0, -2},
    {"surplus page whose last line has no line end", false, true, 0, 0,
     "AA\n\fBB\nCC", "AA\n", "", 1, 0, 0, 2},
    {"surplus of one line without a line end", false, true, 2, 0,
     "H1\nH2\n\nAA\n", "H1\nH2\n\nAA\n\fZZ", "", 1, 0, 0, -1},
    {"surplus lines running into page ends count once each", false, true, 0, 0,
     "AA\n", "AA\n\fBB\fCC\nDD\f\fEE FF\r\n\fGG", "", 1, 0, 0, -5},
    {"surplus line of blanks without a line end is no line", false, true, 0, 0,
     "AA\n", "AA\n\fBB\n \t", "", 1, 0, 0, -1},
    {"word mode surplus ignores line ends", true, true, 0, 0, "AA\n",
     "AA\n\fBB\fCC", "", 0, 0, 0, -2},
    {"word mode surplus counts the first word of the page", true, true, 0, 0,
     "AA\n", "AA\n\fBB CC\n\nDD\n", "", 0, 0, 0, -3},
    {"word mode surplus in file 1", true, true, 0, 0, "AA\n\fBB\fCC DD\n",
     "AA\n", "", 0, 0, 0, 3},
    {"empty file 1: first page listed, the rest counted", false, true, 0, 0, "",
     "AA\nBB\n\fCC\nDD\n",
     "ONE     1     \n"
     "TWO     1 + AA\n\n"
     "ONE     1     \n"
     "TWO     2 + BB\n\n",
     2, 2, 2, -2},
    {"both files empty", false, true, 2, 0, "", "", "", 0, 0, 0, 0},
    {"noPage carries a page's rest into the next page", false, true, 0, 0,
     "AA\nBB\n\fCC\nDD\n", "AA\nBB\nCC\n\fDD\n", "", 4, 0, 0, 0},
    {"noPage off lists the rest of each longer page", false, false, 0, 0,
     "AA\nBB\n\fCC\nDD\n", "AA\nBB\nCC\n\fDD\n",
     "ONE     3     \n"
     "TWO     3 + CC\n\n"
     "ONE     3 + CC\n"
     "TWO     4     \n\n",
     5, 2, 2, 0},
    {"noPage off, word mode", true, false, 0, 0, "AA BB\fCC\n", "AA\fBB CC\n",
     "ONE     1 + BB\n"
     "TWO     1     \n\n"
     "ONE     1     \n"
     "TWO     1 + BB\n\n",
     0, 0, 2, 0},
    {"shorter file ends mid-page", false, true, 0, 0, "AA\nBB\n",
     "AA\nBB\nCC\nDD\n\fEE\n",
     "ONE     3     \n"
     "TWO     3 + CC\n\n"
     "ONE     3     \n"
     "TWO     4 + DD\n\n",
     4, 2, 2, -1},
    {"shorter file ends mid-page, noPage off", false, false, 0, 0, "AA\nBB\n",
     "AA\nBB\nCC\nDD\n\fEE\n",
     "ONE     3     \n"
     "TWO     3 + CC\n\n"
     "ONE     3     \n"
     "TWO     4 + DD\n\n",
     4, 2, 2, -1},
    {"blank lines in the rest of a page are counted, not listed", false, false,
     0, 0, "AA\n", "AA\nBB\n\nCC\n",
     "ONE     2     \n"
     "TWO     2 + BB\n\n"
     "ONE     2     \n"
     "TWO     4 + CC\n\n",
     4, 3, 2, 0},
    {"skipHead 0 keeps every line", false, true, 0, 0, "T1\nAA\n", "T2\nAA\n",
     "ONE     1   T1\n"
     "TWO     1   T2\n\n",
     2, 1, 1, 0},
    {"head block of 3 lines on the first page makes skipHead 5", false, true, 2,
     0, "T1\nT2\nH3\nH4\nH5\n\nAA\n\fU1\nU2\nU3\nU4\nU5\nBB\n",
     "T1\nT2\nH3\nH4\nH5\n\nAA\n\fW1\nW2\nW3\nW4\nW5\n\n\nBB\n", "", 2, 0, 0,
     0},
    {"no blank line under the head: no block, the body is compared", false,
     true, 2, 0, "T1\nT2\nAA XX\nBB YY\n\fT3\nT4\nCC\n",
     "T1\nT2\nAA XX\nBB ZZ\n\fT5\nT6\nCC\n",
     "ONE     4   YY\n"
     "TWO     4   ZZ\n\n",
     3, 1, 1, 0},
    {"a head block ending in a line without a line end is no block", false,
     true, 2, 0, "T1\nT2\nAA\nBB", "T1\nT2\nAA\nCC",
     "ONE     4   BB\n"
     "TWO     4   CC\n\n",
     2, 1, 1, 0},
    {"page shorter than its head compares as empty", false, true, 2, 0,
     HEAD "AA\n\fX1\n\f" HEAD "BB\n", HEAD "AA\n\fY1\n\fY2\n\f" HEAD "BB\n", "",
     2, 0, 0, 0},
    {"page with a blank first line passes it in addition", false, true, 2, 0,
     HEAD "AA\n\f\nT1\nT2\nBB\n", HEAD "AA\n\fT1\nT2\nBB\n", "", 2, 0, 0, 0},
    {"word mode passes all leading blank lines of later pages", true, true, 2,
     0, HEAD "AA\n\f\n\nT1\nT2\nBB\n", HEAD "AA\n\fT1\nT2\nBB\n", "", 0, 0, 0,
     0},
    {"skipFoot blanks the last line", false, true, 0, 1, "AA\nBB\nF1\n",
     "AA\nBB\nF2\n", "", 2, 0, 0, 0},
    {"a last line without a line end is not a foot line", false, true, 0, 1,
     "AA\nF1\nXX", "AA\nF2\nYY",
     "ONE     3   XX\n"
     "TWO     3   YY\n\n",
     2, 1, 1, 0},
    {"foot reaching the body keeps the line numbers", false, true, 0, 2,
     "AA\nBB\n\fC1\nDD\nEE\n", "QQ\n\fC2\nDD\nEE\n",
     "ONE     3   C1\n"
     "TWO     2   C2\n\n",
     1, 1, 1, 0},
    {"foot reaching a body with no line end", false, true, 0, 1, "AA\fBB\nCC\n",
     "ZZ\fBB\nCC\n", "", 1, 0, 0, 0},
    {"foot reaching the body in word mode", true, true, 0, 1,
     "AA\nXX\fYY\nZ1\n", "BB\nXX\fYY\nZ2\n", "", 0, 0, 0, 0},
    {"a foot line between a lone CR and LF joins them", false, true, 0, 1,
     "AA\rF1\n\fXX\nZ\n", "AA\rF2\n\fYY\nZ\n",
     "ONE     2   XX\n"
     "TWO     2   YY\n\n",
     2, 1, 1, 0},
    {"huge skipHead removes every line", false, true, INT32_MAX, 0, "AA\nBB\n",
     "CC\n", "", 0, 0, 0, 0},
    {"huge skipFoot blanks every line", false, true, 0, INT32_MAX, "AA\nBB\n",
     "CC\n", "", 0, 0, 0, 0},
};

#undef HEAD

TEST(FileLoop, Cases) {
  for (const PageCase& c : kPageCases) {
    SCOPED_TRACE(c.name);
    CompareRun cr;
    Settings& s = cr.run.settings;
    s.wordMode = c.wordMode;
    s.noPage = c.noPage;
    s.skipHead = c.skipHead;
    s.skipFoot = c.skipFoot;
    EXPECT_EQ(listingOf(c.pairs), cr.compare(c.one, c.two));
    EXPECT_EQ(-1, cr.status);
    const Counters& n = cr.run.counters;
    EXPECT_EQ(c.compared, n.linesCompared);
    EXPECT_EQ(c.differed, n.linesDiffered);
    EXPECT_EQ(c.words, n.words.wordDiffCount);
    EXPECT_EQ(0, n.words.numericDiffCount);
    EXPECT_EQ(c.extra, n.extraCount);
    EXPECT_EQ(c.wordMode, s.wordMode);
  }
}

TEST(FileLoop, HeadBlockIsMeasuredOnceOnFileOne) {
  CompareRun cr;
  // File 2's first page has a longer head block; only file 1's counts.
  cr.compare("T1\nT2\nH3\nH4\nH5\n\nAA\n", "T1\nT2\nH3\n\nAA\n");
  EXPECT_EQ(3, cr.run.values.extraHeadLines);
  EXPECT_EQ(5, headLines(cr.run));
  EXPECT_EQ(2, cr.run.settings.skipHead);  // the settings stay as read
  // File 2 lost T1, T2, H3, its blank line and AA to the 5 head lines.
  EXPECT_EQ(1, cr.run.counters.linesCompared);
}

TEST(FileLoop, FirstPageWithoutBlankLineHasNoHeadBlock) {
  CompareRun cr;
  cr.compare("T1\nT2\nH3\nAA\n\fT1\nT2\nBB\n",
             "T1\nT2\nH3\nAA\n\fT1\nT2\nBB\n");
  EXPECT_EQ(0, cr.run.values.extraHeadLines);
  EXPECT_EQ(2, headLines(cr.run));
  EXPECT_EQ(3, cr.run.counters.linesCompared);
}

TEST(FileLoop, NothingIsMeasuredWithSkipHeadZero) {
  CompareRun cr;
  cr.run.settings.skipHead = 0;
  cr.compare("T1\nT2\nH3\n\nAA\n", "T1\nT2\nH3\n\nAA\n");
  EXPECT_EQ(-1, cr.run.values.extraHeadLines);
  EXPECT_EQ(0, headLines(cr.run));
}

}  // namespace
