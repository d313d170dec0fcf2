// Counters, line numbers and switch values at the edge of their 32-bit range:
// nothing may wrap, and page trimming and the listing cap must still do what
// they do with small values. Counters saturate at 2147483647 (bump); a line
// number shown after that point stays there.
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "compare/file_loop.h"
#include "core/run_state.h"
#include "driver/run.h"
#include "listing/listing.h"
#include "listing/pending_diff.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

namespace {

// The output with each CR LF shown as "\n".
std::string shown(const std::string& raw) {
  std::string text;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) {
      text += raw[i];
    }
  }
  return text;
}

// A whole run of the program on files ONE and TWO.
std::string runWhole(const std::string& words, const std::string& one,
                     const std::string& two) {
  FakeHost host;
  host.commandLineText = "ZUDIZ ONE TWO " + words;
  host.addFile("ONE", one);
  host.addFile("TWO", two);
  RunState run{host};
  int status = 0;
  std::string out = runAndCatch(
      host, [&] { runProgram(run); }, &status);
  EXPECT_EQ(9, status);
  return shown(out);
}

const char kNothingCompared[] =
    "Comparing ONE vs. TWO\n"
    "      0  Lines compared\n"
    "      0  Lines differed (except page headers/footers)\n"
    "      0  Non-numeric word differences\n"
    "      0  Numeric differences\n";

struct WholeRunRow {
  const char* words;
  const char* one;
  const char* two;
  const char* expected;
};

TEST(AbsurdValues, LargestSwitchArguments) {
  const WholeRunRow rows[] = {
      // Every line of every page is head; the measured block is empty.
      {"/SKIPHEAD:2147483647", "A\nB 1\n\fC\n", "A\nB 2\n\fC\nD\n",
       kNothingCompared},
      // Every line of every page is foot, so blanked.
      {"/SKIPHEAD:0 /SKIPFOOT:2147483647", "A 1\nB\n\fC 1\n", "A 2\nB\n\fC 2\n",
       kNothingCompared},
      {"/SKIPHEAD:2147483647 /SKIPFOOT:2147483647", "A\n\nB\n", "X\n",
       kNothingCompared},
      // No cap is reached.
      {"/SKIPHEAD:0 /VERBOSE:2147483647", "A\nB\nC\n", "X\nY\nZ\n",
       "Comparing ONE vs. TWO\n"
       "\n"
       "FILE LINE   DIFFERENCES\n"
       "ONE     1   A\nTWO     1   X\n\n"
       "ONE     2   B\nTWO     2   Y\n\n"
       "ONE     3   C\nTWO     3   Z\n\n"
       "      3  Lines compared\n"
       "      3  Lines differed\n"
       "      3  Non-numeric word differences\n"
       "      0  Numeric differences\n"},
      // A tolerance is held at 429496.7295 like every number: the first two
      // pairs lie within it, the last one beyond.
      {"/SKIPHEAD:0 /IGNORE:99999999 /W", "-100000 0.5 -1\n",
       "329496.7295 1E300 429496.7295\n",
       "Comparing ONE vs. TWO\n"
       "\n"
       "FILE LINE   DIFFERENCES\n"
       "ONE     1   -1         \n"
       "TWO     1   429496.7295\n"
       "\n"
       "      0  Non-numeric word differences\n"
       "      1  Numeric difference\n"},
  };
  for (const WholeRunRow& row : rows) {
    SCOPED_TRACE(row.words);
    EXPECT_EQ(row.expected, runWhole(row.words, row.one, row.two));
  }
}

// compareFiles over two files whose reader positions start at `lineCount`
// line ends, as if that many had been read before.
struct LateRun {
  FakeHost host;
  RunState run{host};
  int status = 0;

  LateRun() { setDefaults(run); }

  std::string compare(const std::string& one, const std::string& two,
                      std::int32_t lineCount) {
    host.addFile("ONE", one);
    host.addFile("TWO", two);
    const BySide<const char*> labels{{"ONE", "TWO"}};
    for (const Side side : kBothSides) {
      run.files[side].fileLabel.assign(labels[side]);
      run.files[side].fileHandle =
          host.openForReading(labels[side], labels[side]);
      run.readers[side].position = ReaderPosition{};
      run.readers[side].position.lineCount = lineCount;
    }
    startComparison(run);
    return shown(runAndCatch(
        host,
        [&] {
          compareFiles(run);
          run.out.flush();
        },
        &status));
  }
};

struct LateRow {
  const char* name;
  std::int32_t skipHead;
  std::int32_t skipFoot;
  const char* one;
  const char* two;
  const char* listing;  // at line numbers that start near the limit
  std::int32_t compared;
  std::int32_t differed;
  std::int32_t extra;
};

TEST(AbsurdValues, LineCountsNearTheLimit) {
  // Each row is run from line count 0 and from near the limit: the same
  // lines must be compared, trimmed and counted; only the line numbers
  // differ, and they stop at 2147483647 line ends.
  const LateRow rows[] = {
      {"line numbers pass the limit", 0, 0, "A\nB 1\nC\n", "A\nB 2\nC\n",
       "ONE2147483648   1\n"
       "TWO2147483648   2\n\n",
       3, 1, 0},
      {"head passes the limit", 3, 0, "H1\nH2\nH3\n\nA 1\n",
       "H1\nH2\nH3\n\nA 2\n",
       "ONE2147483648   1\n"
       "TWO2147483648   2\n\n",
       1, 1, 0},
      {"foot passes the limit", 1, 1, "H\n\nA\nX\nF1\n", "H\n\nA\nY\nF2\n",
       "ONE2147483648   X\n"
       "TWO2147483648   Y\n\n",
       2, 1, 0},
      {"surplus lines past the limit", 0, 0, "A\n", "A\n\fB\nC\nD\n", "", 1, 0,
       -3},
  };
  for (const LateRow& row : rows) {
    SCOPED_TRACE(row.name);
    for (std::int32_t start : {0, INT32_MAX - 1}) {
      SCOPED_TRACE(start);
      LateRun late;
      late.run.settings.skipHead = row.skipHead;
      late.run.settings.skipFoot = row.skipFoot;
      std::string listing = late.compare(row.one, row.two, start);
      EXPECT_EQ(-1, late.status);
      if (start != 0) {
        EXPECT_EQ(
            std::string(row.listing).empty()
                ? std::string()
                : "\nFILE LINE   DIFFERENCES\n" + std::string(row.listing),
            listing);
      }
      const Counters& c = late.run.counters;
      EXPECT_EQ(row.compared, c.linesCompared);
      EXPECT_EQ(row.differed, c.linesDiffered);
      EXPECT_EQ(row.extra, c.extraCount);
    }
  }
}

TEST(AbsurdValues, CapNoticeOnceWhenThePairCountSaturates) {
  FakeHost host;
  RunState run{host};
  setDefaults(run);
  run.files[Side::kOne].fileLabel.assign("ONE");
  run.files[Side::kTwo].fileLabel.assign("TWO");
  run.settings.maxPairs = INT32_MAX - 1;
  run.values.pairsListed = INT32_MAX - 2;
  std::string printed;
  for (int i = 0; i < 4; ++i) {
    run.pending.diffText(Side::kOne).assign("x ");
    run.pending.diffText(Side::kTwo).assign("y ");
    run.pending.diffLine(Side::kOne) = 1;
    run.pending.diffLine(Side::kTwo) = 1;
    host.output.clear();
    listDifference(run, std::nullopt);
    run.out.flush();
    printed += shown(host.output);
  }
  EXPECT_EQ(
      "ONE     1   x\nTWO     1   y\n\n"
      "*** More than 2147483646 differences\n\n",
      printed);
  EXPECT_EQ(INT32_MAX, run.values.pairsListed);
}

}  // namespace
