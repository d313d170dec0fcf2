#include "cmdline/switches.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdline/usage.h"
#include "driver/run_state.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

namespace {

void handWords(RunState& run, const std::vector<std::string>& words) {
  for (const std::string& text : words) {
    Word word;
    word.assign(text);
    processArgument(run, word);
  }
}

void expectSettings(const Settings& want, const Settings& got) {
  EXPECT_EQ(want.wordMode, got.wordMode);
  EXPECT_EQ(want.showAll, got.showAll);
  EXPECT_EQ(want.ignoreRelative, got.ignoreRelative);
  EXPECT_EQ(want.ignoreTolerance, got.ignoreTolerance);
  EXPECT_EQ(want.noPage, got.noPage);
  EXPECT_EQ(want.skipPlot, got.skipPlot);
  EXPECT_EQ(want.skipHead, got.skipHead);
  EXPECT_EQ(want.skipFoot, got.skipFoot);
  EXPECT_EQ(want.maxPairs, got.maxPairs);
}

struct SettingsCase {
  std::vector<std::string> words;
  // Turns the default settings into the expected ones.
  std::function<void(Settings&)> change;
  std::string file1;  // as stored (upper case)
  std::string file2;
};

void showAll(Settings& s) {
  s.showAll = true;
}
void noChange(Settings&) {}

const SettingsCase kSettingsCases[] = {
    {{"/all"}, showAll, "", ""},
    {{"/All"}, showAll, "", ""},
    {{"/a"}, showAll, "", ""},
    {{"/LASTDIG"}, showAll, "", ""},
    {{"/La"}, showAll, "", ""},
    {{"/ALLX"}, showAll, "X", ""},
    {{"/WORD"}, [](Settings& s) { s.wordMode = true; }, "", ""},
    {{"/WORDS"}, [](Settings& s) { s.wordMode = true; }, "S", ""},
    {{"/W/LI"}, noChange, "", ""},
    {{"/LINE", "/W"}, [](Settings& s) { s.wordMode = true; }, "", ""},
    {{"/ALL/WORD"},
     [](Settings& s) {
       s.showAll = true;
       s.wordMode = true;
     },
     "",
     ""},
    // Tolerance: relative 1e-4 unless a value follows.
    {{"/IGNORE"},
     [](Settings& s) {
       s.ignoreRelative = true;
       s.ignoreTolerance = 1e-4;
     },
     "",
     ""},
    {{"/I%"},
     [](Settings& s) {
       s.ignoreRelative = true;
       s.ignoreTolerance = 1e-4;
     },
     "",
     ""},
    {{"/IGNORE%:1"},
     [](Settings& s) {
       s.ignoreRelative = true;
       s.ignoreTolerance = 0.01;
     },
     "",
     ""},
    {{"/IGNORE%:0.5"},
     [](Settings& s) {
       s.ignoreRelative = true;
       s.ignoreTolerance = 0.005;
     },
     "",
     ""},
    {{"/IGNORE%:0.00004"},
     [](Settings& s) {
       s.ignoreRelative = true;
       s.ignoreTolerance = 0;
     },
     "",
     ""},
    {{"/IGNORE:0.5"}, [](Settings& s) { s.ignoreTolerance = 0.5; }, "", ""},
    {{"/IGNORE:0.00004"}, [](Settings& s) { s.ignoreTolerance = 0; }, "", ""},
    {{"/IGN:1.5X"}, [](Settings& s) { s.ignoreTolerance = 1.5; }, "X", ""},
    {{"/IGNORE%X"},
     [](Settings& s) {
       s.ignoreRelative = true;
       s.ignoreTolerance = 1e-4;
     },
     "X",
     ""},
    {{"/IGNORE:0.5", "/IGNORE"},
     [](Settings& s) {
       s.ignoreRelative = true;
       s.ignoreTolerance = 1e-4;
     },
     "",
     ""},
    // Whole-number arguments.
    {{"/SKIPHEAD:0"}, [](Settings& s) { s.skipHead = 0; }, "", ""},
    {{"/skiph:007"}, [](Settings& s) { s.skipHead = 7; }, "", ""},
    {{"/SKIPFOOT:2147483647"},
     [](Settings& s) { s.skipFoot = INT32_MAX; },
     "",
     ""},
    {{"/SKIPF:3A"}, [](Settings& s) { s.skipFoot = 3; }, "A", ""},
    {{"/V:12X"}, [](Settings& s) { s.maxPairs = 12; }, "X", ""},
    {{"/VERBOSE:0"}, [](Settings& s) { s.maxPairs = 0; }, "", ""},
    {{"/V:5", "/VERBOSE"}, noChange, "", ""},
    {{"/VERBOSITY"}, noChange, "ITY", ""},
    // Paging and plots, with the minus forms.
    {{"/-NOPAGE"}, [](Settings& s) { s.noPage = false; }, "", ""},
    {{"/-NOP", "/NOPAGE"}, noChange, "", ""},
    {{"/-SKIPPLOT"}, [](Settings& s) { s.skipPlot = false; }, "", ""},
    {{"/-SKIPP", "/SKIPP"}, noChange, "", ""},
    // File names.
    {{"one.rpt", "two.rpt"}, noChange, "ONE.RPT", "TWO.RPT"},
    {{"REPORT1/ALL", "/WORD", "report2"},
     [](Settings& s) {
       s.showAll = true;
       s.wordMode = true;
     },
     "REPORT1",
     "REPORT2"},
    {{"?", "-x.rpt"}, noChange, "?", "-X.RPT"},
    {{"", "a", "", "b", ""}, noChange, "A", "B"},
    {{"a", "b", "/ALL"}, showAll, "A", "B"},
};

TEST(Switches, SetSettingsAndFileNames) {
  for (const SettingsCase& c : kSettingsCases) {
    std::string name;
    for (const std::string& w : c.words) {
      name += "[" + w + "]";
    }
    SCOPED_TRACE(name);
    FakeHost host;
    RunState run{host};
    setDefaults(run);
    std::string printed = runAndCatch(host, [&] { handWords(run, c.words); });
    EXPECT_EQ("", printed);
    Settings want;
    c.change(want);
    expectSettings(want, run.settings);
    EXPECT_EQ(c.file1, run.files[0].fileName.view());
    EXPECT_EQ(c.file2, run.files[1].fileName.view());
  }
}

struct FatalCase {
  std::vector<std::string> words;
  std::string message;  // the whole line printed
};

const FatalCase kFatalCases[] = {
    {{"/"}, "*** Bad switch \"/\"\r\n"},
    {{"REPORT/"}, "*** Bad switch \"/\"\r\n"},
    {{"/WORD/"}, "*** Bad switch \"/\"\r\n"},
    {{"Report/Foo/Word"}, "*** Bad switch \"/FOO/WORD\"\r\n"},
    {{"/S"}, "*** Bad switch \"/S\"\r\n"},
    {{"/N"}, "*** Bad switch \"/N\"\r\n"},
    {{"/L"}, "*** Bad switch \"/L\"\r\n"},
    {{"/SKIP"}, "*** Bad switch \"/SKIP\"\r\n"},
    {{"/-NO"}, "*** Bad switch \"/-NO\"\r\n"},
    {{"//ALL"}, "*** Bad switch \"//ALL\"\r\n"},
    {{"C:/RUNS/X.RPT"}, "*** Bad switch \"/RUNS/X.RPT\"\r\n"},
    {{"/IGNORE:"}, "*** Bad real argument for switch\r\n"},
    {{"/IGNORE%:"}, "*** Bad real argument for switch\r\n"},
    {{"/IGNORE:1.2.3"}, "*** Bad real argument for switch\r\n"},
    {{"/IGNORE:."}, "*** Bad real argument for switch\r\n"},
    {{"/IGNORE:-1"}, "*** Bad real argument for switch\r\n"},
    {{"/SKIPHEAD"}, "*** Switch argument missing\r\n"},
    {{"/SKIPHEADER:3"}, "*** Switch argument missing\r\n"},
    {{"/SKIPFOOT 3"}, "*** Switch argument missing\r\n"},
    {{"/SKIPHEAD:-1"}, "*** Bad cardinal argument for switch\r\n"},
    {{"/SKIPHEAD:+1"}, "*** Bad cardinal argument for switch\r\n"},
    {{"/SKIPHEAD:2147483648"}, "*** Bad cardinal argument for switch\r\n"},
    {{"/SKIPFOOT:99999999999999999999999"},
     "*** Bad cardinal argument for switch\r\n"},
    {{"/V:"}, "*** Bad cardinal argument for switch\r\n"},
    {{"a", "b", "c"}, "*** Too many files\r\n"},
    {{"a", "b/ALL", "c/WORD"}, "*** Too many files\r\n"},
    // The first error in command-line order ends the run.
    {{"REPORT1", "/FOO", "/SKIPHEAD"}, "*** Bad switch \"/FOO\"\r\n"},
    {{"a", "b", "c", "/FOO"}, "*** Too many files\r\n"},
};

TEST(Switches, ErrorsEndTheRunWithTheirMessage) {
  for (const FatalCase& c : kFatalCases) {
    std::string name;
    for (const std::string& w : c.words) {
      name += "[" + w + "]";
    }
    SCOPED_TRACE(name);
    FakeHost host;
    RunState run{host};
    setDefaults(run);
    int status = 0;
    EXPECT_EQ(c.message, runAndCatch(
                             host, [&] { handWords(run, c.words); }, &status));
    EXPECT_EQ(9, status);
  }
}

TEST(Switches, SwitchesBeforeTheErrorAreApplied) {
  FakeHost host;
  RunState run{host};
  setDefaults(run);
  runAndCatch(host, [&] { handWords(run, {"a", "b", "c/WORD/V:7"}); });
  EXPECT_TRUE(run.settings.wordMode);
  EXPECT_EQ(7, run.settings.maxPairs);

  setDefaults(run);
  runAndCatch(host, [&] { handWords(run, {"/FOO", "/ALL"}); });
  EXPECT_FALSE(run.settings.showAll);
}

TEST(Switches, BadSwitchMessageIsCutTo256) {
  FakeHost host;
  RunState run{host};
  setDefaults(run);
  std::string word = "/" + std::string(255, 'q');
  std::string printed = runAndCatch(host, [&] { handWords(run, {word}); });
  EXPECT_EQ("*** Bad switch \"/" + std::string(256 - 13, 'Q') + "\r\n",
            printed);
}

TEST(Switches, UsageRequestsPrintTheUsageAndEndTheRun) {
  FakeHost host;
  RunState run{host};
  printUsage(run);
  run.out.flush();
  const std::string usage = host.output;
  for (const char* word : {"/?", "/h", "/Help", "/HELPME", "report/?"}) {
    SCOPED_TRACE(word);
    setDefaults(run);
    int status = 0;
    EXPECT_EQ(usage, runAndCatch(
                         host,
                         [&] {
                           handWords(run, {word, "x"});
                         },
                         &status));
    EXPECT_EQ(9, status);
    EXPECT_TRUE(run.files[0].fileName.empty());
  }
}

TEST(Switches, TypedNameKeepsLetterCase) {
  FakeHost host;
  RunState run{host};
  setDefaults(run);
  handWords(run, {"Rep/v:3Ort.rpt", "c:\\Runs\\b.rpt/All"});
  EXPECT_EQ("REPORT.RPT", run.files[0].fileName.view());
  EXPECT_EQ("RepOrt.rpt", run.files[0].typedName.view());
  EXPECT_EQ("C:\\RUNS\\B.RPT", run.files[1].fileName.view());
  EXPECT_EQ("c:\\Runs\\b.rpt", run.files[1].typedName.view());
  EXPECT_EQ(3, run.settings.maxPairs);
  EXPECT_TRUE(run.settings.showAll);
}

TEST(Switches, ExistingPathWithSlashesIsOneFileName) {
  FakeHost host;
  host.addFile("runs/a.rpt", "");
  host.addFile("/tmp/all", "");
  host.addFile("runs/x.rpt", "");
  RunState run{host};
  setDefaults(run);
  handWords(run, {"runs/a.rpt", "/tmp/all"});
  EXPECT_EQ("RUNS/A.RPT", run.files[0].fileName.view());
  EXPECT_EQ("runs/a.rpt", run.files[0].typedName.view());
  EXPECT_EQ("/TMP/ALL", run.files[1].fileName.view());
  expectSettings(Settings{}, run.settings);

  // Only the word exactly as typed counts; anything else is switches.
  setDefaults(run);
  handWords(run, {"runs/a.rpt/all"});
  EXPECT_EQ("RUNS.RPT", run.files[0].fileName.view());
  EXPECT_EQ("runs.rpt", run.files[0].typedName.view());
  EXPECT_TRUE(run.settings.showAll);

  setDefaults(run);
  EXPECT_EQ("*** Bad switch \"/X.RPT\"\r\n",
            runAndCatch(host, [&] { handWords(run, {"RUNS/X.RPT"}); }));
}

}  // namespace
