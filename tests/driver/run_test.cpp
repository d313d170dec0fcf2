#include "driver/run.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/run_state.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

namespace {

struct LabelRow {
  const char* name;
  const char* label;
  std::uint32_t width;  // labelWidth after this one name
};

TEST(Driver, LabelsDropFolderCutToSixteenThenDropDrive) {
  const LabelRow rows[] = {
      {"D:\\RUNS\\CASE7.RPT", "CASE7.RPT", 9},
      {"C:CASE7.RPT", "CASE7.RPT", 9},
      {"VERYLONGREPORTNAME.RPT", "VERYLONGREPORTNA", 16},
      {"C:VERYLONGREPORTNAME.RPT", "VERYLONGREPORT", 14},
      {"RUNS/OLD/A.RPT", "A.RPT", 5},
      {"D:\\RUNS\\", "", 3},
      {"AB", "AB", 3},
  };
  for (const LabelRow& row : rows) {
    SCOPED_TRACE(row.name);
    FakeHost host;
    RunState run{host};
    setDefaults(run);
    run.files[Side::kTwo].fileName.assign(row.name);
    deriveLabel(run, Side::kTwo);
    EXPECT_EQ(row.label, run.files[Side::kTwo].fileLabel.view());
    EXPECT_EQ(row.width, run.values.labelWidth);
  }
}

struct SummaryRow {
  const char* what;
  bool wordMode;
  bool showAll;
  std::int32_t skipHead;
  Counters counters;
  const char* expected;
};

TEST(Driver, SummaryLinesAndPlurals) {
  const SummaryRow rows[] = {
      {"documented example", false, false, 2,
       Counters{-2, 412, 3, WordCounts{1, 0, 2, 5}},
       "      2  Extra lines in file TWO.RPT\r\n"
       "    412  Lines compared\r\n"
       "      3  Lines differed (except page headers/footers)\r\n"
       "      1  Non-numeric word difference\r\n"
       "      0  Numeric differences\r\n"
       "(plus 5 differed by less than 0.1% and 2 in last decimal place "
       "only)\r\n"},
      {"ones, no headers skipped, last place only", false, false, 0,
       Counters{1, 1, 1, WordCounts{0, 1, 1, 0}},
       "      1  Extra line in file ONE.RPT\r\n"
       "      1  Line compared\r\n"
       "      1  Line differed\r\n"
       "      0  Non-numeric word differences\r\n"
       "      1  Numeric difference\r\n"
       "(plus 1 in last decimal place only)\r\n"},
      {"word mode, tiny only", true, false, 2,
       Counters{3, 0, 0, WordCounts{2, 0, 0, 7}},
       "      3  Extra words in file ONE.RPT\r\n"
       "      2  Non-numeric word differences\r\n"
       "      0  Numeric differences\r\n"
       "(plus 7 differed by less than 0.1%)\r\n"},
      {"show all hides the excused line; wide count", false, true, 2,
       Counters{0, 12345678, 0, WordCounts{0, 0, 4, 4}},
       "12345678  Lines compared\r\n"
       "      0  Lines differed (except page headers/footers)\r\n"
       "      0  Non-numeric word differences\r\n"
       "      0  Numeric differences\r\n"},
  };
  for (const SummaryRow& row : rows) {
    SCOPED_TRACE(row.what);
    FakeHost host;
    RunState run{host};
    setDefaults(run);
    run.files[Side::kOne].fileLabel.assign("ONE.RPT");
    run.files[Side::kTwo].fileLabel.assign("TWO.RPT");
    run.settings.wordMode = row.wordMode;
    run.settings.showAll = row.showAll;
    run.settings.skipHead = row.skipHead;
    run.counters = row.counters;
    writeSummary(run);
    run.out.flush();
    EXPECT_EQ(row.expected, host.output);
  }
}

TEST(Driver, WholeRunOnInMemoryFiles) {
  FakeHost host;
  host.commandLineText = "ZUDIZ one.rpt two.rpt";
  host.addFile("one.rpt", "H1\nH2\n\nA 1.0\nB\n");
  host.addFile("two.rpt", "H1\nH2\n\nA 1.0\nC\n");
  RunState run{host};
  int status = 0;
  std::string out = runAndCatch(
      host, [&] { runProgram(run); }, &status);
  EXPECT_EQ(9, status);
  EXPECT_EQ(
      "Comparing ONE.RPT vs. TWO.RPT\r\n"
      "\r\n"
      "FILE     LINE   DIFFERENCES\r\n"
      "ONE.RPT     5   B\r\n"
      "TWO.RPT     5   C\r\n"
      "\r\n"
      "      2  Lines compared\r\n"
      "      1  Line differed (except page headers/footers)\r\n"
      "      1  Non-numeric word difference\r\n"
      "      0  Numeric differences\r\n",
      out);
}

TEST(Driver, OpenFailureNamesTheUpperCasedFile) {
  FakeHost host;
  host.commandLineText = "ZUDIZ missing.rpt two.rpt";
  host.addFile("two.rpt", "x\n");
  RunState run{host};
  EXPECT_EQ("*** Could not open MISSING.RPT\r\n",
            runAndCatch(host, [&] { runProgram(run); }));
}

// Words handed over already split (POSIX argv) go through the same per-word
// rules as words of a command-line text: upper-cased for display, switches
// taken out even when glued to a name.
TEST(Driver, SplitWordsAreOneWordEach) {
  struct {
    std::vector<std::string> argv;
    const char* expected;
  } rows[] = {
      {{"zudiz", "x\"1", "y\"2"},
       "Comparing X\"1 vs. Y\"2\r\n"
       "      1  Line compared\r\n"
       "      0  Lines differed (except page headers/footers)\r\n"
       "      0  Non-numeric word differences\r\n"
       "      0  Numeric differences\r\n"
       "(plus 1 in last decimal place only)\r\n"},
      {{"zudiz", "x\"1/all", "y\"2"},
       "Comparing X\"1 vs. Y\"2\r\n"
       "\r\n"
       "FILE LINE   DIFFERENCES\r\n"
       "X\"1     4   1.01\r\n"
       "Y\"2     4   1.02\r\n"
       "\r\n"
       "      1  Line compared\r\n"
       "      1  Line differed (except page headers/footers)\r\n"
       "      0  Non-numeric word differences\r\n"
       "      1  Numeric difference\r\n"},
      {{"zudiz", "x\"1 y\"2"}, "*** Missing compare file\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argv[1]);
    FakeHost host;
    host.argumentWords = row.argv;
    host.addFile("x\"1", "H1\nH2\n\n1.01\n");
    host.addFile("y\"2", "H1\nH2\n\n1.02\n");
    RunState run{host};
    EXPECT_EQ(row.expected, runAndCatch(host, [&] { runProgram(run); }));
  }
}

// --help, -h and --version count only alone, spelled exactly so, on a host
// that accepts them, and when no file of that name exists.
TEST(Driver, HelpOptionsWhenAloneAndNoSuchFile) {
  const std::string version =
      "ZUDIZ 1.0 - Compares two VAV report files - Copyright (c) 2026 the "
      "ZUDIZ authors\r\n";
  const std::string usage =
      version +
      "Syntax:   ZUDIZ file1 file2 [/All] [/Verbose:n]\r\n"
      "Switches: /All = show tiny differences   /Verbose:n = max n pairs "
      "(default=100)\r\n";
  const std::string missing = "*** Missing compare file\r\n";
  struct {
    std::vector<std::string> argv;
    bool accepts;
    const char* existing;  // a file of this name, or null
    std::string expected;
  } rows[] = {
      {{"zudiz", "--help"}, true, nullptr, usage},
      {{"zudiz", "-h"}, true, nullptr, usage},
      {{"zudiz", "--version"}, true, nullptr, version},
      {{"zudiz", "--help"}, true, "--help", missing},
      {{"zudiz", "--version"}, true, "--version", missing},
      {{"zudiz", "--help"}, false, nullptr, missing},
      {{"zudiz", "--HELP"}, true, nullptr, missing},
      {{"zudiz", "-help"}, true, nullptr, missing},
      {{"zudiz", "--help", "two.rpt"},
       true,
       nullptr,
       "*** Could not open --HELP\r\n"},
      {{"zudiz", "/all", "--version"}, true, nullptr, missing},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.argv.back() + (row.accepts ? "" : " (Windows)") +
                 (row.existing != nullptr ? " (file)" : ""));
    FakeHost host;
    host.argumentWords = row.argv;
    host.helpOptions = row.accepts;
    host.addFile("two.rpt", "A\n");
    if (row.existing != nullptr) {
      host.addFile(row.existing, "A\n");
    }
    RunState run{host};
    EXPECT_EQ(row.expected, runAndCatch(host, [&] { runProgram(run); }));
  }
}

}  // namespace
