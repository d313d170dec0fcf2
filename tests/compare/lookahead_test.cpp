#include "compare/lookahead.h"

#include <string>

#include <gtest/gtest.h>

#include "compare/compare_run.h"

namespace {

// `lines` numbered table rows of about 40 bytes under a head; `block` more
// rows after row `at` of the second text.
std::string rows(int lines, int at = -1, int block = 0) {
  std::string text = "REPORT\r\nPAGE 1\r\n\r\n";
  for (int i = 0; i < lines; ++i) {
    text += "  ITEM" + std::to_string(i) + "  12.50  3.25  KG  " +
            std::to_string(i * 7) + "\r\n";
    if (i == at) {
      for (int b = 0; b < block; ++b) {
        text += "  ADDED" + std::to_string(b) + "  1.0  2.0\r\n";
      }
    }
  }
  return text + "\f";
}

int countOf(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

// The window first holds about 30000 bytes: a block put at every row
// around its end is found all the same (a fill brings in the lines the
// window does not hold yet), with the shortcuts on and off, and comparing
// allocates nothing (CompareRun checks it).
TEST(Lookahead, FindsABlockWhereverTheWindowEnds) {
  for (int at = 840; at < 940; at += 3) {
    for (const bool shortcuts : {true, false}) {
      SCOPED_TRACE("block after row " + std::to_string(at) +
                   (shortcuts ? "" : ", shortcuts off"));
      CompareRun cr;
      cr.run.settings.lookahead = 10;
      cr.run.values.shortcuts = shortcuts;
      const std::string listing = cr.compare(rows(1000), rows(1000, at, 7));
      EXPECT_EQ(7, cr.run.counters.linesDiffered);
      EXPECT_EQ(7, countOf(listing, " + ADDED"));
      EXPECT_EQ(0, cr.run.counters.words.numericDiffCount);
    }
  }
}

}  // namespace
