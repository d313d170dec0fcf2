#include "reader/page_buffer.h"

#include <cstring>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "reader/open_reports.h"
#include "support/run_and_catch.h"

namespace {

using namespace std::string_literals;

// Everything file `side` delivers from the current position to its end,
// as the bytes pass through the buffer; each fill may drop all it held.
std::string drain(RunState& run, Side side) {
  PageReader& r = reader(run, side);
  std::string out;
  for (;;) {
    out += bytesAt(r, r.position.tokenStart, r.bufLen - r.position.tokenStart);
    r.position.tokenStart = r.bufLen;
    moveCheckpointsToCurrent(run, side);
    if (r.atEof) {
      return out;
    }
    fillBuffer(run, side);
    if (r.bufLen == 0 && !r.atEof) {
      return out + "<STUCK>";
    }
  }
}

std::string filtered(const std::string& file, bool skipPlot = true) {
  FakeHost host;
  RunState run{host};
  run.settings.skipPlot = skipPlot;
  openReports(host, run, file);
  return drain(run, Side::kOne);
}

// The reader's filters applied to a whole file at once, as a reference for
// what passes through the 30000-byte window.
std::string wholeFileFilter(std::string text, bool skipPlot) {
  if (skipPlot) {
    std::string kept;
    for (std::size_t i = 0; i < text.size();) {
      if (text[i] != '\x15') {
        kept += text[i++];
        continue;
      }
      const std::size_t close = text.find('\x15', i + 1);
      i = close == std::string::npos ? text.size() : close + 1;
    }
    std::string out;
    std::size_t i = 0;
    while (i < kept.size()) {
      const std::size_t textEnd = kept.find_first_of("\r\n\f", i);
      if (textEnd == std::string::npos) {
        out += kept.substr(i);
        break;
      }
      std::size_t next = kept.find_first_not_of("\r\n\f", textEnd);
      next = next == std::string::npos ? kept.size() : next;
      std::string line = kept.substr(i, textEnd - i);
      const std::size_t blanks =
          line.size() - (line.find_last_not_of(" \t") + 1);
      if (blanks >= 4) {
        int v = 0;
        for (std::size_t k = line.size() - 4; k < line.size(); ++k) {
          v = v * 2 + (line[k] == '\t');
        }
        const std::size_t code = 4 * (static_cast<std::size_t>(v) + 1);
        if (v > 0 && blanks >= code) {
          line.resize(line.size() - code);
        }
      }
      if (line.empty() || line.back() != '\t') {
        out += line + kept.substr(textEnd, next - textEnd);
      }
      i = next;
    }
    text = out;
  }
  while (!text.empty() && text.back() == '\x1a') {
    text.pop_back();
  }
  if (text.empty() || text.back() != '\f') {
    text += '\f';
  }
  return text;
}

// `count` bytes of ten-byte lines.
std::string lines(std::size_t count) {
  std::string out;
  while (out.size() + 10 <= count) {
    out += "line 1234\n";
  }
  return out + std::string(count - out.size(), 'x');
}

TEST(PageBuffer, EveryFileEndsWithOnePageEnd) {
  struct Row {
    const char* name;
    std::string file;
    std::string buffer;
  };
  const Row rows[] = {
      {"empty", "", "\f"},
      {"only SUB", "\x1a\x1a\x1a", "\f"},
      {"no terminator", "abc", "abc\f"},
      {"line end", "abc\n", "abc\n\f"},
      {"ends with FF", "abc\f", "abc\f"},
      {"FF then SUBs", "abc\f\x1a\x1a", "abc\f"},
      {"FF CR LF", "abc\f\r\n", "abc\f\r\n\f"},
      {"SUB inside stays", "a\x1a\x1a b\n\x1a", "a\x1a\x1a b\n\f"},
  };
  for (const Row& row : rows) {
    for (bool skipPlot : {true, false}) {
      SCOPED_TRACE(std::string(row.name) + (skipPlot ? "" : " skipPlot off"));
      FakeHost host;
      RunState run{host};
      run.settings.skipPlot = skipPlot;
      openReports(host, run, row.file);
      EXPECT_EQ(row.buffer, bufferText(run, Side::kOne));
      EXPECT_TRUE(reader(run, Side::kOne).atEof);
      EXPECT_EQ(row.buffer == "\f", atFileEnd(run, Side::kOne));
      EXPECT_EQ(0, host.openFiles);
    }
  }
}

TEST(PageBuffer, ReadTakingExactlyTheRestLeavesTheEndToTheNextFill) {
  FakeHost host;
  RunState run{host};
  run.settings.skipPlot = false;
  openReports(host, run, lines(29999));
  EXPECT_FALSE(reader(run, Side::kOne).atEof);
  EXPECT_EQ(29999u, reader(run, Side::kOne).bufLen);
  EXPECT_EQ(1, host.openFiles);
  // Asking past the end makes the next fill find the end of the file.
  position(run, Side::kOne).tokenStart = 29990;
  moveCheckpointsToCurrent(run, Side::kOne);
  EXPECT_EQ('\f', charAt(run, Side::kOne, 100));
  EXPECT_EQ(0, host.openFiles);
  EXPECT_EQ(lines(29999).substr(29990) + "\f", bufferText(run, Side::kOne));
}

TEST(PageBuffer, PositionOverDroppedSubsStandsAtTheFinalPageEnd) {
  FakeHost host;
  RunState run{host};
  run.settings.skipPlot = false;
  openReports(host, run, lines(29996) + "\x1a\x1a\x1a");
  while (tokenText(run, Side::kOne) != "xxxxxx") {
    nextToken(run, Side::kOne);
    moveCheckpointsToCurrent(run, Side::kOne);
  }
  nextToken(run, Side::kOne);
  EXPECT_EQ("<END>", tokenText(run, Side::kOne));
  EXPECT_EQ("xxxxxx\f", bufferText(run, Side::kOne));
  EXPECT_EQ(6u, position(run, Side::kOne).tokenStart);
}

TEST(PageBuffer, ShortReadMidFileIsTakenAsTheEnd) {
  FakeHost host;
  host.shortReadLimit = 1005;
  RunState run{host};
  const std::string file = lines(50000);
  openReports(host, run, file);
  EXPECT_TRUE(reader(run, Side::kOne).atEof);
  EXPECT_EQ(file.substr(0, 1005) + "\f", bufferText(run, Side::kOne));
  EXPECT_EQ(0, host.openFiles);
}

std::string repeated(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) {
    out += piece;
  }
  return out;
}

TEST(PageBuffer, PlotSectionsAreRemoved) {
  struct Row {
    const char* name;
    bool skipPlot;
    std::string file;
    std::string text;
  };
  const std::string longPlot = "\x15" + lines(100000) + "\x15";
  const Row rows[] = {
      {"two sections", true,
       "a\x15x\x15"
       "b\x15yy\n\x15"
       "c\n",
       "abc\n\f"},
      {"empty section", true,
       "a\x15\x15"
       "b",
       "ab\f"},
      {"not closed", true, "ab\n\x15rest\nmore\n", "ab\n\f"},
      {"after a zero byte", true,
       "a\0\x15x\x15"
       "b\n"s,
       "a\0b\n\f"s},
      {"skipPlot off", false,
       "a\x15x\x15"
       "b\n",
       "a\x15x\x15"
       "b\n\f"},
      {"over many reads", true, "head\n" + longPlot + "tail\n",
       "head\ntail\n\f"},
      {"two long ones", true, lines(20000) + longPlot + "mid\n" + longPlot,
       lines(20000) + "mid\n\f"},
      {"long, not closed", true, "head\n\x15" + lines(100000), "head\n\f"},
      {"a zero byte after a section", true,
       "a\x15"
       "b\x15"
       "c\0d\x15"
       "e\x15"
       "f\n"s,
       "ac\0df\n\f"s},
      {"a zero byte inside a section", true,
       "a\x15"
       "b\0\x15"
       "c\x15"
       "d\x15"
       "e\n"s,
       "ace\n\f"},
      {"thousands of sections", true, repeated("x\n\x15yy\n\x15", 40000),
       repeated("x\n", 40000) + "\f"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.text, filtered(row.file, row.skipPlot));
  }
}

TEST(PageBuffer, LatePlotMarkerWaitsUntilCompactionMakesRoom) {
  const std::string file =
      lines(27990) + "ab \x15" + lines(5000) + "\x15 cd\n" + lines(40000);
  FakeHost host;
  RunState run{host};
  openReports(host, run, file);
  // The line holding the marker and the line before it are kept back.
  EXPECT_EQ(27980u, reader(run, Side::kOne).bufLen);
  EXPECT_EQ(29999u - 27980u, reader(run, Side::kOne).heldBackLen);
  EXPECT_EQ(wholeFileFilter(file, true), drain(run, Side::kOne));
}

TEST(PageBuffer, LastLineIsHandedBackAndReadAgain) {
  struct Row {
    const char* name;
    std::string tail;  // starts 9 bytes before the end of the first read
  };
  const Row rows[] = {
      {"read ends after a line", "12345678\nnext\n"},
      {"read ends inside a line", "123456789abc\nnext\n"},
      {"read ends inside CR LF", "12345678\r\nnext\n"},
      {"read ends in blank lines", "1234\n\n\n\n\n\n\nnext\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string file = lines(29990) + row.tail + lines(40000);
    FakeHost host;
    RunState run{host};
    openReports(host, run, file);
    EXPECT_EQ(29990u, reader(run, Side::kOne).bufLen);
    EXPECT_EQ(9u, reader(run, Side::kOne).heldBackLen);
    EXPECT_EQ(file + "\f", drain(run, Side::kOne));
  }
}

TEST(PageBuffer, MatchesTheWholeFileFilterOverManyReads) {
  const std::string pieces[] = {"word ", "12,5 ", "x",          " ",
                                "\t",    "\n",    "\r\n",       "\r",
                                "\f",    "\n\n",  "       \t",  "\t       \t",
                                "\x15",  "\x1a",  "\xe9t\xe9 ", "a\0b "s};
  for (unsigned seed = 1; seed <= 6; ++seed) {
    std::mt19937 random(seed);
    std::string file;
    while (file.size() < 200000) {
      const std::size_t pick = random() % 100;
      // Plot markers are rare, so that sections stay mostly short.
      file += pick < 2 ? pieces[12] : pieces[pick % 16 == 12 ? 0 : pick % 16];
      if (pick == 99 && seed % 2 == 0) {
        file += "\x15" + lines(35000) + "\x15";
      }
    }
    for (bool skipPlot : {true, false}) {
      SCOPED_TRACE("seed " + std::to_string(seed) +
                   (skipPlot ? "" : " skipPlot off"));
      EXPECT_EQ(wholeFileFilter(file, skipPlot), filtered(file, skipPlot));
    }
  }
}

TEST(PageBuffer, WhitespaceCodesAndHiddenLines) {
  struct Row {
    const char* name;
    std::string file;
    std::string text;
  };
  const std::string tabs4 = "\t\t\t\t";
  const Row rows[] = {
      {"code v=1",
       "abc    "
       "   \t\nnext\n",
       "abc\nnext\n\f"},
      {"code leaves TAB",
       "abc\t    "
       "   \t\nnext\n",
       "next\n\f"},
      {"single TAB", "abc\t\nnext\n", "next\n\f"},
      {"four blanks only", "abc   \t\nnext\n", "next\n\f"},
      {"four SPACEs", "abc    \nnext\n", "abc    \nnext\n\f"},
      {"two SPACEs", "abc  \nnext\n", "abc  \nnext\n\f"},
      {"whole text is code", "       \t\nnext\n", "\nnext\n\f"},
      {"code v=15", "abc" + std::string(60, ' ') + tabs4 + "\n", "abc\n\f"},
      {"v=15 one short", "abc" + std::string(59, ' ') + tabs4 + "\n", "\f"},
      {"takes blank lines", "abc\t\r\n\r\n\nnext\n", "next\n\f"},
      {"takes page break", "one\nabc\t\n\fnext\n", "one\nnext\n\f"},
      {"last line unended", "one\nabc\t", "one\nabc\t\f"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.text, filtered(row.file));
    EXPECT_EQ(row.file + "\f", filtered(row.file, false));
  }
}

TEST(PageBuffer, LineLongerThanTheBufferIsFatal) {
  struct Row {
    const char* name;
    bool skipPlot;
    std::string line;
    bool fatal;
  };
  std::string words;
  while (words.size() < 40000) {
    words += "ab ";
  }
  const Row rows[] = {
      {"one word", false, std::string(40000, 'a'), true},
      {"one word, skipPlot", true, std::string(40000, 'a'), true},
      {"many words, skipPlot", true, words, true},
      {"many words, skipPlot off", false, words, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    RunState run{host};
    run.settings.skipPlot = row.skipPlot;
    openReports(host, run, "x\n" + row.line + "\n");
    const std::string output = runAndCatch(host, [&] { readTokens(run); });
    EXPECT_EQ(row.fatal ? "*** Page too large to fit in buffer\r\n" : "",
              output);
  }
}

TEST(PageBuffer, DeleteBytesMovesProtectedPositions) {
  struct Row {
    const char* name;
    std::uint32_t pos, count;
    bool wordMode;
    const char* buffer;
    // current, word, line and pair checkpoints; from 2, 3, 5, 9
    std::uint32_t after[4];
  };
  const Row rows[] = {
      {"middle", 2, 3, false, "0156789", {2, 2, 2, 6}},
      {"near the end", 7, 2, false, "01234569", {2, 3, 5, 7}},
      {"front", 0, 3, false, "3456789", {0, 0, 2, 6}},
      {"count cut at the end", 3, 100, false, "012", {2, 3, 3, 3}},
      {"at the end", 10, 1, false, "0123456789", {2, 3, 5, 9}},
      {"word mode", 0, 4, true, "456789", {0, 0, 5, 9}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    RunState run{host};
    run.settings.wordMode = row.wordMode;
    PageReader& r = reader(run, Side::kTwo);
    std::memcpy(r.bytes(), "0123456789", 10);
    r.bufLen = 10;
    std::uint32_t* positions[] = {
        &r.position.tokenStart,
        &run.checkpoints[Checkpoint::kWordStart].files[Side::kTwo].tokenStart,
        &run.checkpoints[Checkpoint::kLineStart].files[Side::kTwo].tokenStart,
        &run.checkpoints[Checkpoint::kPairStart].files[Side::kTwo].tokenStart};
    const std::uint32_t before[] = {2, 3, 5, 9};
    for (int i = 0; i < 4; ++i) {
      *positions[i] = before[i];
    }
    deleteBytes(run, Side::kTwo, row.pos, row.count);
    EXPECT_EQ(row.buffer, bufferText(run, Side::kTwo));
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(row.after[i], *positions[i]) << "position " << i;
    }
  }
}

TEST(PageBuffer, HeldBackBytesOutlastDeletions) {
  // The first fill hands back its partial last line. A deletion before it,
  // whether the bytes in front of it move up (the window then starts later
  // in its storage) or those behind it move down, leaves the handed-back
  // bytes to be read next, unchanged, and so do the many window moves of
  // the fills that follow.
  struct Row {
    const char* name;
    std::uint32_t pos, count;
  };
  const Row rows[] = {
      {"front", 0, 20000},
      {"near the front", 10, 25000},
      {"near the end", 29000, 900},
      {"the whole window", 0, 29990},
  };
  const std::string file =
      lines(29990) + "123456789abc\nnext\n" + lines(100000);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    RunState run{host};
    openReports(host, run, file);
    ASSERT_EQ(9u, reader(run, Side::kOne).heldBackLen);
    deleteBytes(run, Side::kOne, row.pos, row.count);
    EXPECT_EQ(file.substr(0, row.pos) + file.substr(row.pos + row.count) + "\f",
              drain(run, Side::kOne));
  }
}

TEST(PageBuffer, CharAtOutsideTheText) {
  FakeHost host;
  RunState run{host};
  openReports(host, run, "ab\n");
  EXPECT_EQ(0, charAt(run, Side::kOne, -1));
  EXPECT_EQ('a', charAt(run, Side::kOne, 0));
  EXPECT_EQ('\f', charAt(run, Side::kOne, 3));
  const auto far =
      INT32_MAX - static_cast<std::int32_t>(reader(run, Side::kOne).bufLen);
  EXPECT_EQ('\f', charAt(run, Side::kOne, far));
}

TEST(PageBuffer, MatchAtRefillsAcrossTheWindowEdge) {
  FakeHost host;
  RunState run{host};
  run.settings.skipPlot = false;
  const std::string file = lines(29997) + "D&T=1\n";
  openReports(host, run, file, file);
  for (const Side side : kBothSides) {
    position(run, side).tokenStart = 29997;
    moveCheckpointsToCurrent(run, side);
  }
  EXPECT_TRUE(matchAt(run, Side::kOne, 0, "D&T="));
  EXPECT_EQ(0u, position(run, Side::kOne).tokenStart);
  EXPECT_TRUE(matchAt(run, Side::kOne, 0, ""));
  EXPECT_TRUE(matchAt(run, Side::kOne, 0, std::string_view("D&T\0x", 5)));
  EXPECT_FALSE(matchAt(run, Side::kOne, -1, "D&T="));
  // File 2 is looked at only when file 1 matches.
  EXPECT_FALSE(bothMatchAt(run, 0, "P&V="));
  EXPECT_EQ(29997u, position(run, Side::kTwo).tokenStart);
  EXPECT_TRUE(bothMatchAt(run, 0, "D&T="));
  EXPECT_EQ(0u, position(run, Side::kTwo).tokenStart);
}

}  // namespace
