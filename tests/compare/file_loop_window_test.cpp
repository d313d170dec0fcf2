// Whole files through the page loop that pass the sliding window: large
// files, long rests of pages and surpluses, repeated pages.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "compare/compare_run.h"
#include "compare/file_loop.h"

namespace {

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

TEST(FileLoopWindow, LargeFilesWithFeetAndTheSamePageBreaks) {
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

TEST(FileLoopWindow, LargeFilesWithDifferentPageBreaks) {
  CompareRun cr;
  std::string one = paged(bodyLines(kLines), 50, "ONE", false);
  std::string two = paged(changedLines(), 70, "TWO", false);
  cr.compare(one, two);
  expectChangedLineCounts(cr);
  // The comparison path allocates nothing.
  EXPECT_EQ(0u, cr.newCalls);
}

TEST(FileLoopWindow, LargeFilesInWordMode) {
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

TEST(FileLoopWindow, LongRestOfPagePassesThroughTheWindow) {
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

TEST(FileLoopWindow, LongSurplusIsCountedThroughTheWindow) {
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

TEST(FileLoopWindow, ManyPagesWithoutBodyPassThroughTheWindow) {
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
TEST(FileLoopWindow, RepeatedPagesCountAsComparingThemOneByOne) {
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

TEST(FileLoopWindow, PageBodyLongerThanTheWindowEndsTheRunWithFeet) {
  CompareRun cr;
  cr.run.settings.skipHead = 0;
  cr.run.settings.skipFoot = 1;
  std::string page = oneSidedLines(1000);
  EXPECT_EQ("*** Page too large to fit in buffer\n", cr.compare(page, page));
  EXPECT_EQ(9, cr.status);
}

}  // namespace
