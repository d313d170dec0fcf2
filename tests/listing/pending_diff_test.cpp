#include "listing/pending_diff.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/run_state.h"
#include "support/fake_host.h"

namespace {

// Puts `text` into the page buffer of file `side` and makes the token
// `length` bytes at `start` current, `lineCount` line ends into the file.
void setToken(RunState& run, Side side, const std::string& text,
              std::uint32_t start, std::uint32_t length,
              std::int32_t lineCount = 0) {
  PageReader& r = reader(run, side);
  std::memcpy(r.bytes(), text.data(), text.size());
  r.bufLen = static_cast<std::uint32_t>(text.size());
  r.atEof = true;
  ReaderPosition& pos = r.position;
  pos.tokenStart = start;
  pos.tokenLength = length;
  pos.lineCount = lineCount;
  pos.atLineEnd = length == 0 || text[start] == '\r' || text[start] == '\n' ||
                  text[start] == '\f';
}

// Makes `word` the current token of file `side`, on line `line`.
void setWord(RunState& run, Side side, const std::string& word,
             std::int32_t line = 1) {
  setToken(run, side, word + "\r\n", 0, static_cast<std::uint32_t>(word.size()),
           line - 1);
}

struct PendingDiffTest : ::testing::Test {
  FakeHost host;
  RunState run{host};
  std::string_view text(Side side) { return run.pending.diffText(side).view(); }
  std::uint32_t line(Side side) { return run.pending.diffLine(side); }
};

TEST_F(PendingDiffTest, WordsOfUnequalWidthShareColumns) {
  setWord(run, Side::kOne, "12.50", 57);
  setWord(run, Side::kTwo, "12.75", 57);
  appendDiffWords(run);
  setWord(run, Side::kOne, "3.1416", 57);
  setWord(run, Side::kTwo, "3.1", 58);
  appendDiffWords(run);
  EXPECT_EQ("12.50 3.1416 ", text(Side::kOne));
  EXPECT_EQ("12.75 3.1    ", text(Side::kTwo));
  EXPECT_EQ(57u, line(Side::kOne));
  EXPECT_EQ(58u, line(Side::kTwo));
}

TEST_F(PendingDiffTest, ExtraWordOfOneFilePadsTheOther) {
  setWord(run, Side::kOne, "AA", 3);
  setWord(run, Side::kTwo, "EXTRA", 4);
  appendDiffWords(run, Side::kTwo);
  EXPECT_EQ("      ", text(Side::kOne));
  EXPECT_EQ("EXTRA ", text(Side::kTwo));
  // Both line numbers follow the current tokens, chosen or not.
  EXPECT_EQ(3u, line(Side::kOne));
  EXPECT_EQ(4u, line(Side::kTwo));
  appendDiffWords(run, Side::kOne);
  EXPECT_EQ("      AA ", text(Side::kOne));
  EXPECT_EQ("EXTRA    ", text(Side::kTwo));
}

TEST_F(PendingDiffTest, LineAndPageEndsAddOnlyAColumnBlank) {
  struct {
    const char* name;
    std::string buffer;
    std::uint32_t start, length;
    std::uint32_t line;  // lineCount is 7
  } rows[] = {
      {"CR LF", "ab\r\n", 2, 2, 7},        {"LF", "ab\n", 2, 1, 7},
      {"lone CR", "ab\rx", 2, 1, 7},       {"page end", "ab\fx", 2, 1, 8},
      {"final page end", "ab\f", 2, 0, 8}, {"past the end", "ab", 2, 0, 8},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    clearDiff(run);
    setToken(run, Side::kOne, row.buffer, row.start, row.length, 7);
    setWord(run, Side::kTwo, "xyz", 5);
    appendDiffWords(run);
    EXPECT_EQ("    ", text(Side::kOne));
    EXPECT_EQ("xyz ", text(Side::kTwo));
    EXPECT_EQ(row.line, line(Side::kOne));
    EXPECT_EQ(5u, line(Side::kTwo));
  }
}

TEST_F(PendingDiffTest, TextsStopAtTheCapacity) {
  // Many long words: the texts fill to 255 characters and stay equal.
  for (int i = 0; i < 12; ++i) {
    setWord(run, Side::kOne, std::string(30, static_cast<char>('a' + i)));
    setWord(run, Side::kTwo, std::string(10 + i, static_cast<char>('A' + i)));
    appendDiffWords(run);
    ASSERT_EQ(text(Side::kOne).size(), text(Side::kTwo).size());
    ASSERT_LE(text(Side::kOne).size(), 255u);
  }
  EXPECT_EQ(255u, text(Side::kOne).size());
  // Eight columns of 31, then what fits of the ninth words.
  std::string expected1;
  std::string expected2;
  for (int i = 0; i < 8; ++i) {
    expected1 += std::string(30, static_cast<char>('a' + i)) + " ";
    expected2 += std::string(10 + i, static_cast<char>('A' + i)) +
                 std::string(21 - i, ' ');
  }
  expected1 += std::string(7, 'i');
  expected2 += std::string(7, 'I');
  EXPECT_EQ(expected1, text(Side::kOne));
  EXPECT_EQ(expected2, text(Side::kTwo));

  // One word longer than the text: cut, no blank after it.
  clearDiff(run);
  setWord(run, Side::kOne, std::string(300, 'w'));
  setWord(run, Side::kTwo, "v");
  appendDiffWords(run);
  EXPECT_EQ(std::string(255, 'w'), text(Side::kOne));
  EXPECT_EQ("v" + std::string(254, ' '), text(Side::kTwo));
}

TEST_F(PendingDiffTest, SwapKeepsASecondPairAndTruncateCutsBoth) {
  setWord(run, Side::kOne, "one", 2);
  setWord(run, Side::kTwo, "three", 4);
  appendDiffWords(run);
  swapDiff(run);
  EXPECT_TRUE(text(Side::kOne).empty());
  EXPECT_EQ(0u, line(Side::kTwo));
  swapDiff(run);
  truncateDiff(run, 4);
  EXPECT_EQ("one ", text(Side::kOne));
  EXPECT_EQ("thre", text(Side::kTwo));
  EXPECT_EQ(4u, line(Side::kTwo));
}

TEST_F(PendingDiffTest, FullListingKeepsLengthsAndLineNumbers) {
  // Once the listing is full the texts are no longer written, but their
  // lengths (what the alignment cuts back to and tests for emptiness) and
  // the line numbers must be what they would have been.
  struct Step {
    const char* word1;
    const char* word2;
    std::optional<Side> only;  // none: both files
    std::size_t truncateTo;    // 0: no cut after the step
  };
  const std::string longWord(200, 'x');
  const std::vector<std::vector<Step>> runs = {
      {{"12.50", "12.75", std::nullopt, 0}, {"3.1416", "3.1", std::nullopt, 0}},
      {{"AA", "EXTRA", Side::kTwo, 0},
       {"AA", "B", Side::kOne, 0},
       {"x", "y", std::nullopt, 3}},
      {{longWord.c_str(), "v", std::nullopt, 0},
       {longWord.c_str(), "w", std::nullopt, 0}},
      {{"a", "bb", std::nullopt, 0},
       {"ccc", "d", std::nullopt, 1},
       {"e", "f", Side::kTwo, 0}},
  };
  for (std::size_t r = 0; r < runs.size(); ++r) {
    SCOPED_TRACE(r);
    BySide<std::size_t> lengths[2];
    BySide<std::uint32_t> lines[2];
    for (int full = 0; full < 2; ++full) {
      run.settings.maxPairs = 5;
      run.values.pairsListed = full ? 5 : 0;
      clearDiff(run);
      std::int32_t lineNo = 1;
      for (const Step& step : runs[r]) {
        setWord(run, Side::kOne, step.word1, lineNo);
        setWord(run, Side::kTwo, step.word2, lineNo + 1);
        if (step.only) {
          appendDiffWords(run, *step.only);
        } else {
          appendDiffWords(run);
        }
        if (step.truncateTo > 0) {
          truncateDiff(run, step.truncateTo);
        }
        ++lineNo;
      }
      for (const Side side : kBothSides) {
        lengths[full][side] = text(side).size();
        lines[full][side] = line(side);
      }
    }
    for (const Side side : kBothSides) {
      EXPECT_EQ(lengths[0][side], lengths[1][side]);
      EXPECT_EQ(lines[0][side], lines[1][side]);
    }
  }
}

}  // namespace
