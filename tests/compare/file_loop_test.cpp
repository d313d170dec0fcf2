#include "compare/file_loop.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

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

// Report lines that differ from their neighbours in a number and in text.
std::string bodyLine(int i) {
  char line[80];
  std::snprintf(line, sizeof line,
                "ROW %05d ALPHA %d.%03d BETA %d GAMMA TEXT%04d END\n", i,
                i % 97, i % 1000, i * 7 % 1000, i % 10000);
  return line;
}

// The lines cut into pages of `perPage` lines, each with a two-line head and
// a blank line, and with a foot line when `foot` is set.
std::string paged(const std::vector<std::string>& lines, int perPage,
                  const char* title, bool foot) {
  std::string text;
  int page = 0;
  for (std::size_t i = 0; i < lines.size(); i += perPage) {
    ++page;
    if (page > 1) {
      text += '\f';
    }
    text += std::string(title) + " PAGE " + std::to_string(page) +
            "\nRUN DATE 2026-01-05\n\n";
    for (std::size_t j = i; j < lines.size() && j < i + perPage; ++j) {
      text += lines[j];
    }
    if (foot) {
      text += "END OF " + std::string(title) + " PAGE " + std::to_string(page) +
              "\n";
    }
  }
  return text;
}

std::vector<std::string> bodyLines(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    lines.push_back(bodyLine(i));
  }
  return lines;
}

constexpr int kLines = 6000;  // about 330 KB per file

// File 2: one changed word (line 500), one inserted line (after line 1510)
// and one line fewer (line 1530), within the same page of 50 lines.
std::vector<std::string> changedLines() {
  std::vector<std::string> lines = bodyLines(kLines);
  lines[500].replace(lines[500].find("GAMMA"), 5, "GAMMB");
  lines.erase(lines.begin() + 1530);
  lines.insert(lines.begin() + 1511, "INSERTED LINE OF FIVE WORDS\n");
  return lines;
}

void expectChangedLineCounts(const CompareRun& cr) {
  const Counters& n = cr.run.counters;
  EXPECT_EQ(-1, cr.status);
  EXPECT_EQ(kLines + 1, n.linesCompared);
  EXPECT_EQ(3, n.linesDiffered);
  EXPECT_EQ(1 + 5 + 9, n.words.wordDiffCount);
  EXPECT_EQ(0, n.words.numericDiffCount);
  EXPECT_EQ(0, n.extraCount);
  EXPECT_EQ(3, cr.run.values.pairsListed);
}

TEST(FileLoop, LargeFilesWithFeetAndTheSamePageBreaks) {
  CompareRun cr;
  cr.run.settings.skipFoot = 1;
  std::string one = paged(bodyLines(kLines), 50, "ONE", true);
  std::string two = paged(changedLines(), 50, "TWO", true);
  ASSERT_GT(one.size(), 300000u);
  std::string listing = cr.compare(one, two);
  expectChangedLineCounts(cr);
  // A page holds 3 head lines, 50 body lines and a foot line.
  EXPECT_NE(std::string::npos,
            listing.find("ONE   544   GAMMA\nTWO   544   GAMMB\n"));
  EXPECT_NE(std::string::npos,
            listing.find("TWO  1635 + INSERTED LINE OF FIVE WORDS\n"));
}

TEST(FileLoop, LargeFilesWithDifferentPageBreaks) {
  CompareRun cr;
  std::string one = paged(bodyLines(kLines), 50, "ONE", false);
  std::string two = paged(changedLines(), 70, "TWO", false);
  cr.compare(one, two);
  expectChangedLineCounts(cr);
  // The comparison path allocates nothing.
  EXPECT_EQ(0u, cr.newCalls);
}

TEST(FileLoop, LargeFilesInWordMode) {
  std::vector<std::string> lines = bodyLines(kLines);
  lines[700].replace(lines[700].find("BETA"), 4, "BETTA");
  lines[3000].replace(lines[3000].find("GAMMA"), 5, "EXTRA GAMMA");
  CompareRun cr;
  cr.run.settings.wordMode = true;
  std::string listing = cr.compare(paged(bodyLines(kLines), 50, "ONE", false),
                                   paged(lines, 70, "TWO", false));
  EXPECT_EQ(-1, cr.status);
  const Counters& n = cr.run.counters;
  EXPECT_EQ(2, n.words.wordDiffCount);
  EXPECT_EQ(0, n.words.numericDiffCount);
  EXPECT_EQ(0, n.extraCount);
  EXPECT_EQ(0, n.linesCompared);
  EXPECT_NE(std::string::npos, listing.find("   BETTA\n"));
  EXPECT_NE(std::string::npos, listing.find(" + EXTRA\n"));
}

// Lines that only file 2 has, about 50 bytes each.
std::string oneSidedLines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += "ONLY IN FILE TWO LINE " + std::to_string(100000 + i) +
            " WITH PADDING\n";
  }
  return text;
}

TEST(FileLoop, LongRestOfPagePassesThroughTheWindow) {
  for (bool noPage : {true, false}) {
    SCOPED_TRACE(noPage ? "noPage" : "no noPage");
    CompareRun cr;
    cr.run.settings.skipHead = 0;
    cr.run.settings.noPage = noPage;
    std::string rest = oneSidedLines(3000);
    ASSERT_GT(rest.size(), 100000u);
    std::string listing = cr.compare("AA\n", "AA\n" + rest);
    EXPECT_EQ(-1, cr.status);
    const Counters& n = cr.run.counters;
    EXPECT_EQ(3001, n.linesCompared);
    EXPECT_EQ(3000, n.linesDiffered);
    EXPECT_EQ(3000 * 8, n.words.wordDiffCount);
    EXPECT_EQ(3000, cr.run.values.pairsListed);
    const std::string notice = "*** More than 100 differences\n\n";
    ASSERT_GT(listing.size(), notice.size());
    EXPECT_EQ(notice, listing.substr(listing.size() - notice.size()));
  }
}

TEST(FileLoop, LongSurplusIsCountedThroughTheWindow) {
  for (bool wordMode : {false, true}) {
    SCOPED_TRACE(wordMode ? "word mode" : "line mode");
    CompareRun cr;
    cr.run.settings.skipHead = 0;
    cr.run.settings.wordMode = wordMode;
    EXPECT_EQ("", cr.compare("AA\n", "AA\n\f" + oneSidedLines(3000)));
    EXPECT_EQ(-1, cr.status);
    EXPECT_EQ(wordMode ? -3000 * 8 : -3000, cr.run.counters.extraCount);
  }
}

TEST(FileLoop, ManyPagesWithoutBodyPassThroughTheWindow) {
  std::string text;
  for (int page = 0; page < 4000; ++page) {
    text += "REPORT HEAD LINE OF PAGE " + std::to_string(page) +
            "\nSECOND HEAD LINE\n\f";
  }
  text += "T1\nT2\nLAST\n";
  CompareRun cr;
  EXPECT_EQ("", cr.compare(text, text));
  EXPECT_EQ(-1, cr.status);
  EXPECT_EQ(1, cr.run.counters.linesCompared);
}

// Storms of short pages: page pairs that repeat the pair before them are
// passed in one step (pairs that differ once the listing is full). Each
// storm is compared again with every other page given a blank before its
// page end, which reads the same but never repeats the page before it; the
// listing and every count must agree. Rows: file 1's page, file 2's page
// (null: the same), the settings, and a page of file 2 changed (or -1).
TEST(FileLoop, RepeatedPagesCountAsComparingThemOneByOne) {
  struct Row {
    const char* page;
    const char* other;
    bool wordMode;
    std::int32_t skipHead;
    std::int32_t skipFoot;
    int changed;
  };
  const Row rows[] = {{"x\f", nullptr, false, 2, 0, -1},
                      {"x\f", nullptr, false, 0, 0, 700},
                      {"x\r\ny\r\n\f", nullptr, false, 0, 0, 5},
                      {"A\nB\nC\f", nullptr, false, 1, 1, 300},
                      {"1.0 2\n\f", nullptr, true, 0, 0, 999},
                      {"A B\n\nC\f", nullptr, false, 0, 0, 1},
                      {"x\f", nullptr, true, 2, 0, 0},
                      {"P Q\r\n\f", nullptr, false, 0, 2, -1},
                      {"A 1.5\n\f", "B 2.5\n\f", false, 0, 0, 400},
                      {"A 1.5\n\f", "B 2.5\nC\n\f", false, 0, 0, -1},
                      {"A 1.5 C\f", "B 2.5\f", true, 0, 0, 600}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.page) + (row.wordMode ? " /W" : ""));
    const auto spacedOut = [](std::string page) {
      page.insert(page.size() - 1, " ");
      return page;
    };
    const std::string page = row.page;
    const std::string other = row.other != nullptr ? row.other : row.page;
    std::string one = "HEAD\n\n";
    std::string two = one;
    std::string oneSpaced = one;
    std::string twoSpaced = one;
    for (int k = 0; k < 1000; ++k) {
      const std::string otherHere = k == row.changed ? "z\f" : other;
      one += page;
      two += otherHere;
      oneSpaced += k % 2 == 0 ? page : spacedOut(page);
      twoSpaced +=
          k % 2 == 0 || k == row.changed ? otherHere : spacedOut(otherHere);
    }
    CompareRun storm;
    CompareRun spacedStorm;
    for (CompareRun* cr : {&storm, &spacedStorm}) {
      cr->run.settings.wordMode = row.wordMode;
      cr->run.settings.skipHead = row.skipHead;
      cr->run.settings.skipFoot = row.skipFoot;
    }
    EXPECT_EQ(spacedStorm.compare(oneSpaced, twoSpaced),
              storm.compare(one, two));
    EXPECT_EQ(-1, storm.status);
    EXPECT_TRUE(spacedStorm.run.counters == storm.run.counters);
    EXPECT_EQ(spacedStorm.run.counters.linesCompared,
              storm.run.counters.linesCompared);
    EXPECT_EQ(spacedStorm.run.values.pairsListed, storm.run.values.pairsListed);
  }
}

TEST(FileLoop, PageBodyLongerThanTheWindowEndsTheRunWithFeet) {
  CompareRun cr;
  cr.run.settings.skipHead = 0;
  cr.run.settings.skipFoot = 1;
  std::string page = oneSidedLines(1000);
  EXPECT_EQ("*** Page too large to fit in buffer\n", cr.compare(page, page));
  EXPECT_EQ(9, cr.status);
}

// A number from 0 to n - 1, drawn the same way on every platform.
unsigned draw(std::mt19937& random, std::size_t n) {
  return static_cast<unsigned>(random() % n);
}

// Report pairs whose files read the same: file 2 differs from file 1 only in
// what the reader removes or takes as blanks (zero bytes, plot sections,
// whitespace codes, the text of hidden lines, the length of blank runs).
// Each line is drawn from its own seed, so file 2 can be drawn again with
// one word changed and everything else the same.
class ReportPairs {
 public:
  explicit ReportPairs(unsigned seed) : seed_(seed) {
    std::mt19937 random(seed);
    std::size_t bytes = 0;
    int page = 1;
    while (bytes < 80000) {
      const unsigned pick = draw(random, 100);
      Line line;
      line.kind = pick < 70   ? kWords
                  : pick < 78 ? kHidden
                  : pick < 88 ? kBlank
                  : pick < 94 ? kPlotLines
                              : kPageEnd;
      line.page = line.kind == kPageEnd ? ++page : page;
      const int words = 1 + static_cast<int>(draw(random, 6));
      for (int i = 0; i < words; ++i) {
        line.words.push_back(draw(random, 3) == 0
                                 ? std::to_string(draw(random, 1000)) + "." +
                                       std::to_string(draw(random, 10))
                                 : "w" + std::to_string(draw(random, 100000)));
      }
      line.lineEnd = draw(random, 4) == 0 ? "\r\n" : "\n";
      lines_.push_back(line);
      bytes += 8 * static_cast<std::size_t>(words);
    }
  }

  // File one or file two; in file two word `changedWord` of line
  // `changedLine` reads `changed` instead, when changedLine is not -1.
  std::string render(Side side, int changedLine = -1, int changedWord = 0,
                     const std::string& changed = "") const {
    std::string text = "REPORT PAGE 1\nRUN 7\n\n";
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      std::mt19937 random(seed_ * 7919u + static_cast<unsigned>(i) * 2u +
                          static_cast<unsigned>(fileNumber(side)));
      Line line = lines_[i];
      if (static_cast<int>(i) == changedLine) {
        line.words[static_cast<std::size_t>(changedWord)] = changed;
      }
      renderLine(line, random, text);
    }
    return text;
  }

  // Indexes of the lines that hold visible words.
  std::vector<int> wordLines() const {
    std::vector<int> found;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (lines_[i].kind == kWords) {
        found.push_back(static_cast<int>(i));
      }
    }
    return found;
  }

  int wordCount(int line) const {
    return static_cast<int>(
        lines_[static_cast<std::size_t>(line)].words.size());
  }

 private:
  enum Kind { kWords, kHidden, kBlank, kPlotLines, kPageEnd };
  struct Line {
    Kind kind;
    int page;
    std::vector<std::string> words;
    std::string lineEnd;
  };

  // The bytes of a plot section between its markers: mostly short, now and
  // then longer than the window.
  static std::string plotText(std::mt19937& random) {
    // Piece 2 is a zero byte.
    static const char* const kPieces[] = {
        "plot", " ", "", "\n", "\r\n", "x y 1.5", "\f", "\t", "    \t"};
    std::string text;
    const unsigned length = draw(random, 400) == 0 ? 40000 : draw(random, 40);
    while (text.size() < length) {
      const unsigned piece = draw(random, 9);
      text += piece == 2 ? std::string(1, '\0') : std::string(kPieces[piece]);
    }
    return text;
  }

  // A whitespace code of 8 to 64 blanks, or none.
  static std::string code(std::mt19937& random) {
    if (draw(random, 3) != 0) {
      return "";
    }
    const unsigned v = 1 + draw(random, 15);
    std::string blanks;
    for (unsigned i = 0; i < 4 * v; ++i) {
      blanks += draw(random, 2) == 0 ? ' ' : '\t';
    }
    for (int bit = 3; bit >= 0; --bit) {
      blanks += (v >> bit) & 1 ? '\t' : ' ';
    }
    return blanks;
  }

  // Words separated by blanks, zero bytes or plot sections, then a code.
  static void renderWords(const std::vector<std::string>& words,
                          std::mt19937& random, std::string& text) {
    for (std::size_t w = 0; w < words.size(); ++w) {
      if (w > 0) {
        switch (draw(random, 5)) {
          case 0:
            text += ' ';
            break;
          case 1:
            text += '\0';
            break;
          case 2:
            text += std::string(" \0\0 ", 4);
            break;
          case 3:
            text += "  ";
            break;
          default:
            text += " \x15" + plotText(random) + "\x15 ";
            break;
        }
      }
      text += words[w];
    }
    text += code(random);
  }

  static void renderLine(const Line& line, std::mt19937& random,
                         std::string& text) {
    switch (line.kind) {
      case kWords:
        renderWords(line.words, random, text);
        text += line.lineEnd;
        break;
      case kHidden:
        // Hidden in both files, whatever it holds.
        text += "hidden" + std::to_string(draw(random, 1000)) + "\t" +
                code(random) + line.lineEnd;
        break;
      case kBlank:
        // Blanks on a blank line would keep a hidden line before it from
        // taking a page break with it.
        for (unsigned n = 1 + draw(random, 3); n > 0; --n) {
          text += line.lineEnd;
        }
        break;
      case kPlotLines:
        // A section of whole lines leaves a blank line, or nothing.
        if (draw(random, 2) == 0) {
          text += "\x15" + plotText(random) + "\x15";
        }
        text += line.lineEnd;
        break;
      case kPageEnd:
        text += "\fREPORT PAGE " + std::to_string(line.page) + "\nRUN 7\n";
        break;
    }
  }

  unsigned seed_;
  std::vector<Line> lines_;
};

// The listed pairs of a listing, without the heading.
std::vector<std::string> listedPairs(const std::string& listing) {
  std::vector<std::string> pairs;
  if (listing.empty()) {
    return pairs;
  }
  std::size_t at = std::string(kHeading).size();
  while (at < listing.size()) {
    std::size_t end = listing.find("\n\n", at);
    end = end == std::string::npos ? listing.size() : end;
    pairs.push_back(listing.substr(at, end - at));
    at = end + 2;
  }
  return pairs;
}

// What a run prints depends on the two files and the settings alone: where
// a read happens to end (which depends on the marks the alignment holds,
// and so on the other file) never changes it. A change in one line of file
// 2 shows in the pair of that line and nowhere else.
TEST(FileLoop, OneChangedLineChangesOnlyItsOwnPair) {
  struct Mode {
    const char* name;
    bool wordMode;
    std::int32_t skipFoot;
  };
  const Mode modes[] = {
      {"lines", false, 0}, {"lines, foot 1", false, 1}, {"words", true, 0}};
  const std::string changed = "CHANGEDWORD";
  for (unsigned seed = 1; seed <= 5; ++seed) {
    const ReportPairs reports(seed);
    const std::string one = reports.render(Side::kOne);
    const std::vector<int> candidates = reports.wordLines();
    std::mt19937 random(seed);
    for (const Mode& mode : modes) {
      SCOPED_TRACE("seed " + std::to_string(seed) + ", " + mode.name);
      CompareRun base;
      base.run.settings.wordMode = mode.wordMode;
      base.run.settings.skipFoot = mode.skipFoot;
      EXPECT_EQ("", base.compare(one, reports.render(Side::kTwo)));
      ASSERT_EQ(-1, base.status);
      const Counters& b = base.run.counters;
      EXPECT_EQ(0, b.linesDiffered);
      EXPECT_EQ(0, b.words.wordDiffCount);
      EXPECT_EQ(0, b.words.numericDiffCount);
      EXPECT_EQ(0, b.words.tinyDiffCount);
      EXPECT_EQ(0, b.words.lastDigitCount);
      EXPECT_EQ(0, b.extraCount);

      for (int trial = 0; trial < 3; ++trial) {
        const int line = candidates[draw(random, candidates.size())];
        const int word = static_cast<int>(
            draw(random, static_cast<unsigned>(reports.wordCount(line))));
        SCOPED_TRACE("line " + std::to_string(line) + ", word " +
                     std::to_string(word));
        CompareRun cr;
        cr.run.settings.wordMode = mode.wordMode;
        cr.run.settings.skipFoot = mode.skipFoot;
        const std::vector<std::string> pairs = listedPairs(
            cr.compare(one, reports.render(Side::kTwo, line, word, changed)));
        ASSERT_EQ(-1, cr.status);
        for (const std::string& pair : pairs) {
          EXPECT_NE(std::string::npos, pair.find(changed)) << pair;
        }
        // Only a foot line is blanked without being compared.
        if (mode.skipFoot == 0) {
          EXPECT_EQ(1u, pairs.size());
        } else {
          EXPECT_LE(pairs.size(), 1u);
        }
        const Counters& n = cr.run.counters;
        EXPECT_EQ(b.linesCompared, n.linesCompared);
        EXPECT_LE(n.linesDiffered, 1);
        EXPECT_LE(n.words.wordDiffCount, reports.wordCount(line));
        EXPECT_EQ(0, n.words.numericDiffCount);
        EXPECT_EQ(0, n.words.tinyDiffCount);
        EXPECT_EQ(0, n.words.lastDigitCount);
        EXPECT_EQ(0, n.extraCount);
      }
    }
  }
}

}  // namespace
