#include "reader/token_reader.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "reader/checkpoints.h"
#include "reader/open_reports.h"
#include "support/run_and_catch.h"

namespace {

using namespace std::string_literals;

std::string show(const ReaderPosition& p) {
  return std::to_string(p.tokenStart) + "+" + std::to_string(p.tokenLength) +
         " line " + std::to_string(p.lineCount) + (p.atLineEnd ? " end" : "");
}

// `count` bytes of ten-byte lines, then a line that ends in a blank.
std::string fillerTo(std::size_t count) {
  std::string out;
  while (count - out.size() >= 30) {
    out += "ab cd efg\n";
  }
  return out + std::string(count - out.size() - 1, 'z') + " ";
}

// The tokens of one line: up to and including its line end or page end.
std::string readLine(RunState& run) {
  std::string out;
  do {
    nextToken(run, Side::kOne);
    out += tokenText(run, Side::kOne) + " ";
  } while (!position(run, Side::kOne).atLineEnd);
  return out;
}

// Reads file 1 as the line comparison does, with the line checkpoint at the
// start of the current line and the pair checkpoint at the start of the one
// before. Each line is read again from the word checkpoint, and with the line
// before it from the pair checkpoint.
std::string readWithCheckpoints(RunState& run) {
  std::string out;
  std::string previous;
  while (previous != "<END> ") {
    copyCheckpoint(run, Checkpoint::kLineStart, Checkpoint::kPairStart);
    saveCheckpoint(run, Checkpoint::kLineStart);
    savePositions(run, Checkpoint::kWordStart);
    const std::string line = readLine(run);
    restorePositions(run, Checkpoint::kWordStart);
    EXPECT_EQ(line, readLine(run));
    restoreCheckpoint(run, Checkpoint::kPairStart);
    std::string again = readLine(run);
    if (!previous.empty()) {
      again += readLine(run);
    }
    EXPECT_EQ(previous + line, again);
    restoreCheckpoint(run, Checkpoint::kLineStart);
    EXPECT_EQ(line, readLine(run));
    previous = line;
    out += line;
  }
  return out.substr(0, out.size() - 1);
}

TEST(TokenReader, SplitsBytesIntoTokens) {
  struct Row {
    std::string input;
    bool wordMode;
    const char* tokens;
    int lines;
  };
  const Row rows[] = {
      {"1,234,567", false, "1,234,567 <END>", 0},
      {"a,b", false, "a b <END>", 0},
      {"1,a", false, "1 a <END>", 0},
      {"ab,5,6 7,x", false, "ab 5,6 7 x <END>", 0},
      {"1,\n", false, "1 <LF> <END>", 1},
      {",5", false, "5 <END>", 0},
      {"1,,2 3,4,", false, "1 2 3,4 <END>", 0},
      {"-1.5E+03 x=5", false, "-1.5E+03 x=5 <END>", 0},
      {"a\tb\x0b"
       "c\x1a"
       "d\x7f"
       "e\x01"
       "f\x15"
       "g\0h"s,
       false, "a b c d e f g h <END>", 0},
      {"\x80\xff!~ \xe9", false, "\x80\xff!~ \xe9 <END>", 0},
      {"a          b\t       \x01         c        de", false, "a b c de <END>",
       0},
      {"a\r\r\nb", false, "a <CR> <CRLF> b <END>", 2},
      {"a\n\rb\r", false, "a <LF> <CR> b <CR> <END>", 3},
      {"\n \n", false, "<LF> <LF> <END>", 2},
      {"a\fb", false, "a <FF> b <END>", 0},
      {"a\f", false, "a <END>", 0},
      {"a\f\f", false, "a <FF> <END>", 0},
      {"", false, "<END>", 0},
      {"a b\nc d\r\ne f\n", true, "a b c d e f <END>", 3},
      {"a\n\fb\r", true, "a <FF> b <END>", 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input + (row.wordMode ? " (word mode)" : ""));
    FakeHost host;
    RunState run{host};
    run.settings.skipPlot = false;
    run.settings.wordMode = row.wordMode;
    openReports(host, run, row.input);
    EXPECT_EQ(row.tokens, readTokens(run));
    EXPECT_EQ(row.lines, position(run, Side::kOne).lineCount);
    // The final page end stays put.
    const std::string end = show(position(run, Side::kOne));
    nextToken(run, Side::kOne);
    EXPECT_EQ(end, show(position(run, Side::kOne)));
    EXPECT_TRUE(atFileEnd(run, Side::kOne));
  }
}

TEST(TokenReader, MatchesANaiveSplitOverManyReads) {
  const char* const separators[] = {" ", "  ", "\t", "   \t         "};
  const char* const ends[] = {"\n", "\r\n", "\r", "\n\n", "\f", "\r\n\f"};
  for (unsigned seed = 1; seed <= 4; ++seed) {
    std::mt19937 random(seed);
    std::string file;
    while (file.size() < 150000) {
      for (std::size_t words = random() % 12; words > 0; --words) {
        file += std::string(1 + random() % 14, "a7Z\xe9"[random() % 4]);
        if (words > 1) {
          file += separators[random() % 4];
        }
      }
      file += ends[random() % 6];
    }
    for (bool wordMode : {false, true}) {
      for (bool skipPlot : {true, false}) {
        SCOPED_TRACE("seed " + std::to_string(seed) +
                     (wordMode ? " word mode" : "") +
                     (skipPlot ? "" : " skipPlot off"));
        FakeHost host;
        RunState run{host};
        run.settings.wordMode = wordMode;
        run.settings.skipPlot = skipPlot;
        openReports(host, run, file, file + "tail");
        const std::string text = file.back() == '\f' ? file : file + "\f";
        EXPECT_EQ(naiveTokens(text, wordMode), readTokens(run, Side::kOne));
        EXPECT_EQ(naiveTokens(file + "tail\f", wordMode),
                  readTokens(run, Side::kTwo));
      }
    }
  }
}

TEST(TokenReader, PageEndAtTheWindowEdgeLooksForTheFileEnd) {
  const std::string file = std::string(29994, 'x') + "\nend\f";
  for (bool skipPlot : {true, false}) {
    SCOPED_TRACE(skipPlot ? "skipPlot" : "skipPlot off");
    FakeHost host;
    RunState run{host};
    run.settings.skipPlot = skipPlot;
    openReports(host, run, file);
    EXPECT_EQ(std::string(29994, 'x') + " <LF> end <END>", readTokens(run));
  }
}

TEST(TokenReader, ManyShortPagesAreReadInLargeBlocks) {
  // With plot sections kept (nothing is filtered), a page end refills its
  // buffer only when that frees a good part of the window (or the buffer
  // holds nothing after it): a page end every two bytes must not cost a move
  // of the whole window and a read each. With the filters on every page end
  // refills; the tokens are the same either way.
  std::string pages;
  for (int i = 0; i < 30000; ++i) {
    pages += i % 7 == 0 ? "\f" : "x\f";
  }
  const std::string ends[] = {"", "\x1a\x1a", "\f\x1a", "y\n\x1a"};
  for (const std::string& end : ends) {
    for (bool wordMode : {false, true}) {
      for (bool skipPlot : {false, true}) {
        SCOPED_TRACE(std::to_string(end.size()) +
                     (wordMode ? " word mode" : "") +
                     (skipPlot ? " skipPlot" : ""));
        FakeHost host;
        RunState run{host};
        run.settings.wordMode = wordMode;
        run.settings.skipPlot = skipPlot;
        openReports(host, run, pages + end);
        std::string text = pages + end;
        while (!text.empty() && text.back() == '\x1a') {
          text.pop_back();
        }
        if (text.back() != '\f') {
          text += '\f';
        }
        EXPECT_EQ(naiveTokens(text, wordMode), readTokens(run, Side::kOne));
        if (!skipPlot) {
          EXPECT_LT(host.readCalls, 40);
        }
      }
    }
  }
}

TEST(TokenReader, WindowEdgeSweepKeepsMarkedLines) {
  struct Feature {
    const char* name;
    std::string bytes;
    std::string kept;
  };
  const Feature features[] = {
      {"word", "WORD ", "WORD "},
      {"CR LF", "\r\n", "\r\n"},
      {"FF", "\f", "\f"},
      {"plot", "\x15plot\nplot\x15", ""},
  };
  std::string rest = "after it\n";
  while (rest.size() < 40000) {
    rest += "more words on a line\r\n";
  }
  for (std::size_t at = 29990; at <= 30010; ++at) {
    for (const Feature& f : features) {
      SCOPED_TRACE(std::string(f.name) + " at " + std::to_string(at));
      FakeHost host;
      RunState run{host};
      openReports(host, run, fillerTo(at) + f.bytes + rest);
      const std::string text = fillerTo(at) + f.kept + rest + "\f";
      EXPECT_EQ(naiveTokens(text, false), readWithCheckpoints(run));
      EXPECT_EQ(
          static_cast<std::int32_t>(std::count(text.begin(), text.end(), '\n')),
          position(run, Side::kOne).lineCount);
    }
  }
}

TEST(TokenReader, SkipLeadIn) {
  struct Row {
    std::string input;
    bool skipPlot;
    const char* tokens;
    int lines;
  };
  const Row rows[] = {
      {"\f\r\n\r\nabc\n", true, "abc <LF> <END>", 1},
      {"\f\nabc\n", true, "<LF> abc <LF> <END>", 2},
      {"\f\r\n\nabc", true, "<LF> abc <END>", 1},
      {"\f\r\rabc", true, "abc <END>", 0},
      {"\f\r\n", true, "<END>", 0},
      {"\f", true, "<END>", 0},
      {"abc\n", true, "abc <LF> <END>", 1},
      {"\x15plot\x15\fabc", true, "abc <END>", 0},
      {"\x15plot\n\x15\fabc", false, "abc <END>", 0},
      {"\x15\x15\x15plot\x15"
       "abc",
       false, "abc <END>", 0},
      {"\x15plot", false, "<END>", 0},
      {"ab\x15plot\x15", false, "ab plot <END>", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.input);
    FakeHost host;
    RunState run{host};
    run.settings.skipPlot = row.skipPlot;
    openReports(host, run, row.input);
    skipLeadIn(run, Side::kOne);
    EXPECT_EQ(
        show(position(run, Side::kOne)),
        show(checkpointPosition(run, Checkpoint::kWordStart, Side::kOne)));
    EXPECT_EQ(0u, position(run, Side::kOne).tokenLength);
    EXPECT_EQ(row.tokens, readTokens(run));
    EXPECT_EQ(row.lines, position(run, Side::kOne).lineCount);
  }
}

TEST(TokenReader, LongLeadingPlotSectionNeedsWordMode) {
  std::string file = "\x15";
  while (file.size() < 40000) {
    file += "plot data\n";
  }
  file +=
      "\x15"
      "abc\n";
  for (bool wordMode : {true, false}) {
    SCOPED_TRACE(wordMode ? "word mode" : "line mode");
    FakeHost host;
    RunState run{host};
    run.settings.skipPlot = false;
    run.settings.wordMode = wordMode;
    openReports(host, run, file);
    const std::string output =
        runAndCatch(host, [&] { skipLeadIn(run, Side::kOne); });
    if (wordMode) {
      EXPECT_EQ("", output);
      EXPECT_EQ("abc <END>", readTokens(run));
    } else {
      EXPECT_EQ("*** Page too large to fit in buffer\r\n", output);
    }
  }
}

TEST(TokenReader, CheckpointsKeepPositionsAndCounters) {
  FakeHost host;
  RunState run{host};
  auto setState = [&](std::uint32_t start, std::int32_t counts) {
    position(run, Side::kOne) = ReaderPosition{start, 2, counts, false};
    position(run, Side::kTwo) =
        ReaderPosition{start + 100, 1, counts + 1, true};
    run.counters.words = WordCounts{counts, counts + 1, counts + 2, counts + 3};
  };
  auto state = [&] {
    const WordCounts& w = run.counters.words;
    return show(position(run, Side::kOne)) + " / " +
           show(position(run, Side::kTwo)) + " / " +
           std::to_string(w.wordDiffCount) +
           std::to_string(w.numericDiffCount) +
           std::to_string(w.lastDigitCount) + std::to_string(w.tinyDiffCount);
  };
  setState(10, 1);
  const std::string first = state();
  saveCheckpoint(run, Checkpoint::kLineStart);
  saveCheckpoint(run, Checkpoint::kWordStart);
  setState(20, 5);
  const std::string second = state();
  copyCheckpoint(run, Checkpoint::kLineStart, Checkpoint::kPairStart);
  saveCheckpoint(run, Checkpoint::kLineStart);
  setState(30, 7);
  restoreCheckpoint(run, Checkpoint::kPairStart);
  EXPECT_EQ(first, state());
  setState(30, 7);
  restoreCheckpoint(run, Checkpoint::kLineStart);
  EXPECT_EQ(second, state());
  // Restoring the line checkpoint left the pair checkpoint as it was.
  restoreCheckpoint(run, Checkpoint::kPairStart);
  EXPECT_EQ(first, state());

  // Positions alone: the counters, and the checkpoint's copy of them, stay.
  setState(30, 7);
  restorePositions(run, Checkpoint::kWordStart);
  EXPECT_EQ(10u, position(run, Side::kOne).tokenStart);
  EXPECT_EQ(7, run.counters.words.wordDiffCount);
  savePositions(run, Checkpoint::kWordStart);
  restoreCheckpoint(run, Checkpoint::kWordStart);
  EXPECT_EQ(first, state());

  setState(40, 0);
  moveCheckpointsToCurrent(run, Side::kTwo);
  for (const Checkpoint at : {Checkpoint::kWordStart, Checkpoint::kLineStart,
                              Checkpoint::kPairStart}) {
    EXPECT_EQ(140u, checkpointPosition(run, at, Side::kTwo).tokenStart);
    EXPECT_NE(40u, checkpointPosition(run, at, Side::kOne).tokenStart);
  }
}

TEST(TokenReader, SkipToLineEndStopsWhereAWalkWould) {
  // Word lines with every kind of line end, also where the window ends
  // (without skipPlot a fill may end inside a line, or between CR and LF).
  std::mt19937 random(11);
  const std::string alphabet = "19,, a.\t\x7f\x80";
  const char* const ends[] = {"\n", "\r\n", "\r", "\f", "\r\r\n"};
  for (int i = 0; i < 60; ++i) {
    std::string text;
    while (text.size() < 29990 + random() % 20) {
      text += "x" + std::to_string(random() % 1000) + " y\n";
    }
    text += "w";
    const int length = static_cast<int>(random() % 12);
    for (int j = 0; j < length; ++j) {
      text += alphabet[random() % alphabet.size()];
    }
    text += ends[random() % 5];
    text += "tail\n";
    const bool skipPlot = random() % 2 == 0;
    SCOPED_TRACE(::testing::PrintToString(text.substr(29980)));
    FakeHost walkHost;
    RunState walk{walkHost};
    setDefaults(walk);
    walk.settings.skipPlot = skipPlot;
    openReports(walkHost, walk, text);
    FakeHost skipHost;
    RunState skip{skipHost};
    setDefaults(skip);
    skip.settings.skipPlot = skipPlot;
    openReports(skipHost, skip, text);
    // Both stand on each word of the file in turn; the skip must reach the
    // same line end, with the same buffer, as the walk.
    int skips = 0;
    do {
      nextToken(walk, Side::kOne);
      nextToken(skip, Side::kOne);
      if (position(walk, Side::kOne).atLineEnd) {
        // As the line comparison does: the text before is not needed.
        moveCheckpointsToCurrent(walk, Side::kOne);
        moveCheckpointsToCurrent(skip, Side::kOne);
        continue;
      }
      if (random() % 3 != 0) {
        continue;
      }
      ++skips;
      while (!position(walk, Side::kOne).atLineEnd) {
        nextToken(walk, Side::kOne);
      }
      skipToLineEnd(skip, Side::kOne);
      ASSERT_EQ(show(position(walk, Side::kOne)),
                show(position(skip, Side::kOne)));
      ASSERT_EQ(bufferText(walk, Side::kOne), bufferText(skip, Side::kOne));
    } while (position(walk, Side::kOne).tokenLength != 0);
    EXPECT_GT(skips, 1000);
  }
}

}  // namespace
