#include "compare/head_pages.h"

#include <string>

#include <gtest/gtest.h>

#include "compare/file_loop.h"
#include "reader/open_reports.h"

namespace {

std::string show(const ReaderPosition& p) {
  return std::to_string(p.tokenStart) + "+" + std::to_string(p.tokenLength) +
         " line " + std::to_string(p.lineCount) + (p.atLineEnd ? " end" : "");
}

// Everything of a run that comparing a page pair may change and that the
// comparison after it may read: positions, checkpoints, page numbers,
// windows and counters.
std::string state(const RunState& run) {
  std::string s;
  for (const Side side : kBothSides) {
    const PageReader& r = run.readers[side];
    const Checkpoints& c = run.checkpoints;
    s +=
        "file " + std::to_string(fileNumber(side)) + ": " + show(r.position) +
        ", page " + std::to_string(r.pageNumber) + ", window " +
        std::to_string(r.windowStart) + "+" + std::to_string(r.bufLen) +
        ", checkpoints " + show(c[Checkpoint::kWordStart].files[side]) + " / " +
        std::to_string(c[Checkpoint::kLineStart].files[side].tokenStart) +
        " / " +
        std::to_string(c[Checkpoint::kPairStart].files[side].tokenStart) + "\n";
  }
  const Counters& c = run.counters;
  s += "compared " + std::to_string(c.linesCompared) + ", differed " +
       std::to_string(c.linesDiffered) + ", words " +
       std::to_string(c.words.wordDiffCount);
  return s;
}

// Both files past their first page pair, compared as the page loop does
// (which measures the head block).
void openPastFirstPage(FakeHost& host, RunState& run, const std::string& one,
                       const std::string& two) {
  setDefaults(run);
  openReports(host, run, one, two);
  skipLeadIn(run, Side::kOne);
  skipLeadIn(run, Side::kTwo);
  comparePagePair(run);
}

std::string pages(const std::string& page, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += page;
  }
  return text;
}

TEST(HeadPages, LeaveTheRunAsComparingThePagePairsDoes) {
  struct Row {
    const char* name;
    std::string one;
    std::string two;
    bool wordMode;
    int passed;  // page pairs the shortcut passes
  };
  // Pages of a few bytes that differ from each other, long enough a run to
  // cross the point where the trimming's page end fills the window.
  std::string varied;
  for (int i = 0; i < 3000; ++i) {
    varied += std::to_string(i % 97) + (i % 3 == 0 ? "\r\nx" : "") + "\f";
  }
  const std::string first = "TITLE\nPAGE 1\n\nbody\n\f";
  const Row rows[] = {
      {"one line each", first + pages("a\n\f", 5) + "END\n",
       first + pages("a\n\f", 5) + "END\n", false, 5},
      {"two lines, no line end before the page end",
       first + pages("ab\r\n12\f", 4) + "END\n",
       first + pages("ab\r\n12\f", 4) + "END\n", false, 4},
      {"other pages in each file", first + "a\fb\n\fc\r\nd\f\nx\fEND\n",
       first + "1 2\n3\f\n\fq\f\r\n\fEND\n", false, 4},
      {"a word after the head lines", first + "a\fb\nc\nd\f",
       first + "a\fb\nc\nd\f", false, 1},
      {"blank lines after the head lines", first + "a\n\fb\nc\n\n\n\fx\fEND\n",
       first + "a\n\fb\nc\n\n\n\fx\fEND\n", false, 3},
      // Not the page before it, whose page end the empty page's reading
      // would fill at.
      {"an empty page", first + "a\f\fb\fEND\n", first + "a\f\fb\fEND\n", false,
       1},
      {"blank lines opening pages", first + "\r\n\r\na\f\nb\f\fEND\n",
       first + "\r\n\r\na\f\nb\f\fEND\n", false, 1},
      {"word mode", first + "\r\n\r\na\f\nb\f\r\nc\fEND\n",
       first + "\r\n\r\na\f\nb\f\r\nc\fEND\n", true, 3},
      {"a run across fills", first + varied, first + varied, false, 2999},
      // A SUB may end the file, which the fill at a page end before it
      // handles, but only while the file is not read to its end.
      {"a SUB after a page end, the file read whole",
       first + "a\f\x1a"
               "b\fc\fEND\n",
       first + "a\f\x1a"
               "b\fc\fEND\n",
       false, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    RunState run{host};
    run.settings.wordMode = row.wordMode;
    openPastFirstPage(host, run, row.one, row.two);
    FakeHost plainHost;
    RunState plain{plainHost};
    plain.settings.wordMode = row.wordMode;
    openPastFirstPage(plainHost, plain, row.one, row.two);
    ASSERT_EQ(state(plain), state(run));

    // Each time the shortcut passes pairs, the plain run compares as many;
    // then both compare the next pair.
    int passed = 0;
    while (!atFileEnd(run, Side::kOne) && !atFileEnd(run, Side::kTwo)) {
      const std::int64_t page = run.readers[Side::kOne].pageNumber;
      if (passHeadOnlyPages(run)) {
        passed += static_cast<int>(run.readers[Side::kOne].pageNumber - page);
        while (plain.readers[Side::kOne].pageNumber <
               run.readers[Side::kOne].pageNumber) {
          comparePagePair(plain);
        }
      } else {
        comparePagePair(run);
        comparePagePair(plain);
      }
      ASSERT_EQ(state(plain), state(run));
    }
    EXPECT_EQ(row.passed, passed);
  }
}

}  // namespace
