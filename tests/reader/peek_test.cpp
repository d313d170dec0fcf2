#include "reader/peek.h"

#include <algorithm>
#include <random>
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

// Where walking the line pair word by word stops: on the last word of file
// 1's current line, or where it stands when that is its last word. The same
// for file 2, whose text is the same.
std::string lastWordByWalking(RunState& run) {
  std::string last = show(position(run, Side::kOne));
  while (!position(run, Side::kOne).atLineEnd) {
    last = show(position(run, Side::kOne));
    nextToken(run, Side::kOne);
  }
  return last;
}

TEST(Peek, SkipToLastEqualWordStopsWhereAWalkWould) {
  // Lines after a leading word, as both files hold them.
  std::vector<std::string> lines = {
      " b c\r\n",         " 1,234,567\n", " 1,2,a\n",      " 5,\n",
      " a,b\n",           " 1,,2 x\r",    " q \t, \x7f\n", "\x80\xff z\f",
      " 12.5kg 9,99, \n", ",7,8 ,9\n",    " -1.5E+03\r\n", "\n"};
  // Random lines over the bytes that matter to the word rules.
  std::mt19937 random(7);
  const std::string alphabet = "19,, a.\t-\x7f\x80\x01";
  for (int i = 0; i < 300; ++i) {
    std::string line;
    const int length = static_cast<int>(random() % 12);
    for (int j = 0; j < length; ++j) {
      line += alphabet[random() % alphabet.size()];
    }
    lines.push_back(line + "\n");
  }
  for (const std::string& rest : lines) {
    SCOPED_TRACE(::testing::PrintToString(rest));
    const std::string text = "head\nw" + rest + "tail\n";
    FakeHost walkHost;
    RunState walk{walkHost};
    setDefaults(walk);
    openReports(walkHost, walk, text, text);
    FakeHost skipHost;
    RunState skip{skipHost};
    setDefaults(skip);
    openReports(skipHost, skip, text, "x " + text);
    for (int i = 0; i < 3; ++i) {
      nextToken(walk, Side::kOne);
      nextToken(skip, Side::kOne);
      nextToken(skip, Side::kTwo);
    }
    nextToken(skip, Side::kTwo);
    const std::string expected = lastWordByWalking(walk);
    const std::string before = show(position(skip, Side::kOne));
    const bool moved = skipToLastEqualWord(skip);
    EXPECT_EQ(expected, show(position(skip, Side::kOne)));
    EXPECT_EQ(moved, expected != before);
    ReaderPosition second = position(skip, Side::kTwo);
    second.tokenStart -= 2;  // file 2 has "x " in front
    EXPECT_EQ(show(position(skip, Side::kOne)), show(second));
  }
}

TEST(Peek, SkipToLastEqualWordNeedsTheSameBytesToALineEnd) {
  struct Row {
    std::string one;
    std::string two;
  };
  const Row rows[] = {
      {"a b c\n", "a b d\n"},
      {"a b c\n", "a  b c\n"},
      {"a b c\n", "a b cd\n"},
      {"a b\n", "\n"},  // file 2 on a line end
      // The line end lies beyond the first fill (no hand-back without
      // skipPlot).
      {"a b " + std::string(29994, 'c') + " d\n",
       "a b " + std::string(29994, 'c') + " d\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.two.substr(0, 20));
    FakeHost host;
    RunState run{host};
    setDefaults(run);
    run.settings.skipPlot = false;
    openReports(host, run, row.one, row.two);
    nextTokenBoth(run);
    const std::string before = show(position(run, Side::kOne)) + " / " +
                               show(position(run, Side::kTwo));
    EXPECT_FALSE(skipToLastEqualWord(run));
    EXPECT_EQ(before, show(position(run, Side::kOne)) + " / " +
                          show(position(run, Side::kTwo)));
  }
}

TEST(Peek, SkipEqualWordsStopsWhereAWalkOfEqualPairsWould) {
  // Random line pairs over the bytes that matter to the word rules, file 2
  // a copy of file 1 with a byte or two changed. A walk compares the word
  // pairs one by one; the skip must land on a pair the walk reaches with
  // nothing but equal pairs behind it, no further than the first unequal
  // pair (or the last pair of the line).
  std::mt19937 random(5);
  const std::string alphabet = "19,, ab.\t-\x7f\x80";
  for (int i = 0; i < 2000; ++i) {
    std::string line = "w";
    const int length = static_cast<int>(random() % 30);
    for (int j = 0; j < length; ++j) {
      line += alphabet[random() % alphabet.size()];
    }
    std::string changed = line;
    for (auto n = random() % 3; n > 0; --n) {
      changed[random() % changed.size()] = alphabet[random() % alphabet.size()];
    }
    const char* const end = random() % 2 == 0 ? "\n" : "\r\n";
    SCOPED_TRACE(::testing::PrintToString(line + " / " + changed));
    FakeHost host;
    RunState run{host};
    openReports(host, run, "h\n" + line + end + "t\n",
                "h\n" + changed + end + "t\n");
    for (int k = 0; k < 3; ++k) {
      nextTokenBoth(run);  // to the first word of the line pair
    }
    // The walk: the pairs it stands on while all pairs before were equal.
    FakeHost walkHost;
    RunState walk{walkHost};
    openReports(walkHost, walk, "h\n" + line + end + "t\n",
                "h\n" + changed + end + "t\n");
    for (int k = 0; k < 3; ++k) {
      nextTokenBoth(walk);
    }
    std::vector<std::string> reachable;
    for (;;) {
      const ReaderPosition& a = position(walk, Side::kOne);
      const ReaderPosition& b = position(walk, Side::kTwo);
      if (a.atLineEnd || b.atLineEnd) {
        break;
      }
      reachable.push_back(show(a) + " / " + show(b));
      if (tokenText(walk, Side::kOne) != tokenText(walk, Side::kTwo)) {
        break;
      }
      nextTokenBoth(walk);
    }
    if (position(run, Side::kOne).atLineEnd ||
        position(run, Side::kTwo).atLineEnd) {
      continue;
    }
    const std::string before = show(position(run, Side::kOne)) + " / " +
                               show(position(run, Side::kTwo));
    const bool moved = skipEqualWords(run);
    const std::string after = show(position(run, Side::kOne)) + " / " +
                              show(position(run, Side::kTwo));
    EXPECT_EQ(moved, after != before);
    EXPECT_NE(std::find(reachable.begin(), reachable.end(), after),
              reachable.end());
  }
}

}  // namespace
