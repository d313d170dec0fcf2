#include "listing/pending_diff.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/run_state.h"
#include "support/fake_host.h"

namespace {

// Puts `text` into the page buffer of file `fileNo` and makes the token
// `length` bytes at `start` current, `lineCount` line ends into the file.
void setToken(RunState& run, int fileNo, const std::string& text,
              std::uint32_t start, std::uint32_t length,
              std::int32_t lineCount = 0) {
  PageReader& r = reader(run, fileNo);
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

// Makes `word` the current token of file `fileNo`, on line `line`.
void setWord(RunState& run, int fileNo, const std::string& word,
             std::int32_t line = 1) {
  setToken(run, fileNo, word + "\r\n", 0,
           static_cast<std::uint32_t>(word.size()), line - 1);
}

struct PendingDiffTest : ::testing::Test {
  FakeHost host;
  RunState run{host};
  std::string_view text(int fileNo) {
    return run.pending.diffText(fileIndex(fileNo)).view();
  }
  std::uint32_t line(int fileNo) {
    return run.pending.diffLine(fileIndex(fileNo));
  }
};

TEST_F(PendingDiffTest, WordsOfUnequalWidthShareColumns) {
  setWord(run, 1, "12.50", 57);
  setWord(run, 2, "12.75", 57);
  appendDiffWords(run, 0);
  setWord(run, 1, "3.1416", 57);
  setWord(run, 2, "3.1", 58);
  appendDiffWords(run, 0);
  EXPECT_EQ("12.50 3.1416 ", text(1));
  EXPECT_EQ("12.75 3.1    ", text(2));
  EXPECT_EQ(57u, line(1));
  EXPECT_EQ(58u, line(2));
}

TEST_F(PendingDiffTest, ExtraWordOfOneFilePadsTheOther) {
  setWord(run, 1, "AA", 3);
  setWord(run, 2, "EXTRA", 4);
  appendDiffWords(run, 2);
  EXPECT_EQ("      ", text(1));
  EXPECT_EQ("EXTRA ", text(2));
  // Both line numbers follow the current tokens, chosen or not.
  EXPECT_EQ(3u, line(1));
  EXPECT_EQ(4u, line(2));
  appendDiffWords(run, 1);
  EXPECT_EQ("      AA ", text(1));
  EXPECT_EQ("EXTRA    ", text(2));
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
    setToken(run, 1, row.buffer, row.start, row.length, 7);
    setWord(run, 2, "xyz", 5);
    appendDiffWords(run, 0);
    EXPECT_EQ("    ", text(1));
    EXPECT_EQ("xyz ", text(2));
    EXPECT_EQ(row.line, line(1));
    EXPECT_EQ(5u, line(2));
  }
}

TEST_F(PendingDiffTest, TextsStopAtTheCapacity) {
  // Many long words: the texts fill to 255 characters and stay equal.
  for (int i = 0; i < 12; ++i) {
    setWord(run, 1, std::string(30, static_cast<char>('a' + i)));
    setWord(run, 2, std::string(10 + i, static_cast<char>('A' + i)));
    appendDiffWords(run, 0);
    ASSERT_EQ(text(1).size(), text(2).size());
    ASSERT_LE(text(1).size(), 255u);
  }
  EXPECT_EQ(255u, text(1).size());
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
  EXPECT_EQ(expected1, text(1));
  EXPECT_EQ(expected2, text(2));

  // One word longer than the text: cut, no blank after it.
  clearDiff(run);
  setWord(run, 1, std::string(300, 'w'));
  setWord(run, 2, "v");
  appendDiffWords(run, 0);
  EXPECT_EQ(std::string(255, 'w'), text(1));
  EXPECT_EQ("v" + std::string(254, ' '), text(2));
}

TEST_F(PendingDiffTest, SwapKeepsASecondPairAndTruncateCutsBoth) {
  setWord(run, 1, "one", 2);
  setWord(run, 2, "three", 4);
  appendDiffWords(run, 0);
  swapDiff(run);
  EXPECT_TRUE(text(1).empty());
  EXPECT_EQ(0u, line(2));
  swapDiff(run);
  truncateDiff(run, 4);
  EXPECT_EQ("one ", text(1));
  EXPECT_EQ("thre", text(2));
  EXPECT_EQ(4u, line(2));
}

TEST_F(PendingDiffTest, FullListingKeepsLengthsAndLineNumbers) {
  // Once the listing is full the texts are no longer written, but their
  // lengths (what the alignment cuts back to and tests for emptiness) and
  // the line numbers must be what they would have been.
  struct Step {
    const char* word1;
    const char* word2;
    int which;
    std::size_t truncateTo;  // 0: no cut after the step
  };
  const std::string longWord(200, 'x');
  const std::vector<std::vector<Step>> runs = {
      {{"12.50", "12.75", 0, 0}, {"3.1416", "3.1", 0, 0}},
      {{"AA", "EXTRA", 2, 0}, {"AA", "B", 1, 0}, {"x", "y", 0, 3}},
      {{longWord.c_str(), "v", 0, 0}, {longWord.c_str(), "w", 0, 0}},
      {{"a", "bb", 0, 0}, {"ccc", "d", 0, 1}, {"e", "f", 2, 0}},
  };
  for (std::size_t r = 0; r < runs.size(); ++r) {
    SCOPED_TRACE(r);
    std::size_t lengths[2][2];
    std::uint32_t lines[2][2];
    for (int full = 0; full < 2; ++full) {
      run.settings.maxPairs = 5;
      run.values.pairsListed = full ? 5 : 0;
      clearDiff(run);
      std::int32_t lineNo = 1;
      for (const Step& step : runs[r]) {
        setWord(run, 1, step.word1, lineNo);
        setWord(run, 2, step.word2, lineNo + 1);
        appendDiffWords(run, step.which);
        if (step.truncateTo > 0) {
          truncateDiff(run, step.truncateTo);
        }
        ++lineNo;
      }
      for (int f = 0; f < 2; ++f) {
        lengths[full][f] = text(f + 1).size();
        lines[full][f] = line(f + 1);
      }
    }
    EXPECT_EQ(lengths[0][0], lengths[1][0]);
    EXPECT_EQ(lengths[0][1], lengths[1][1]);
    EXPECT_EQ(lines[0][0], lines[1][0]);
    EXPECT_EQ(lines[0][1], lines[1][1]);
  }
}

}  // namespace
