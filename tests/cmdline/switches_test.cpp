#include "cmdline/switches.h"

#include <charconv>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cmdline/usage.h"
#include "core/run_state.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

namespace {

// The settings that differ from their defaults and the file names (the
// typed name in brackets when its letter case differs), e.g.
// "all ignore%=0.01 pairs=12 1=X".
std::string describe(const RunState& run) {
  const Settings& s = run.settings;
  const Settings d;
  std::string text;
  auto add = [&](bool show, const std::string& piece) {
    text += show ? piece + " " : "";
  };
  // The tolerance as a difference, or as a fraction of the mean magnitude.
  const double tolerance =
      s.ignoreRelative ? s.ignoreUnits / 1e6 : s.ignoreUnits / 1e4;
  char real[32];
  *std::to_chars(real, real + sizeof real - 1, tolerance,
                 std::chars_format::fixed)
       .ptr = '\0';
  add(s.wordMode, "word");
  add(s.showAll, "all");
  add(s.ignoreRelative || s.ignoreUnits != d.ignoreUnits,
      std::string(s.ignoreRelative ? "ignore%=" : "ignore=") + real);
  add(s.skipHead != d.skipHead, "head=" + std::to_string(s.skipHead));
  add(s.skipFoot != d.skipFoot, "foot=" + std::to_string(s.skipFoot));
  add(s.maxPairs != d.maxPairs, "pairs=" + std::to_string(s.maxPairs));
  add(!s.noPage, "page");
  add(!s.skipPlot, "plots");
  for (const Side side : kBothSides) {
    std::string name(run.files[side].fileName.view());
    std::string typed(run.files[side].typedName.view());
    add(!name.empty(), std::to_string(fileNumber(side)) + "=" + name +
                           (typed == name ? "" : "(" + typed + ")"));
  }
  return text.empty() ? text : text.substr(0, text.size() - 1);
}

// Hands the words to processArgument in order; returns the line printed
// when the run ended (CR LF taken off), then what the words set.
std::string outcome(FakeHost& host, const std::vector<std::string>& words) {
  RunState run{host};
  setDefaults(run);
  int status = 0;
  std::string printed = runAndCatch(
      host,
      [&] {
        for (const std::string& text : words) {
          Word word;
          word.assign(text);
          processArgument(run, word);
        }
      },
      &status);
  if (status != -1) {
    EXPECT_EQ(9, status);
    EXPECT_EQ("\r\n", printed.substr(printed.size() - 2));
    printed.resize(printed.size() - 2);
  }
  std::string settings = describe(run);
  return printed + (printed.empty() || settings.empty() ? "" : " | ") +
         settings;
}

struct SwitchCase {
  std::vector<std::string> words;
  std::string want;
};

const SwitchCase kSwitchCases[] = {
    {{"/all", "/A", "/LASTDIG", "/La"}, "all"},
    {{"/ALLX"}, "all 1=X"},
    {{"/WORDS"}, "word 1=S"},
    {{"/W/LI"}, ""},
    {{"/IGNORE"}, "ignore%=0.0001"},
    {{"/I%"}, "ignore%=0.0001"},
    {{"/IGNORE%:0.5"}, "ignore%=0.005"},
    {{"/IGN:1.5X"}, "ignore=1.5 1=X"},
    {{"/IGNORE%X"}, "ignore%=0.0001 1=X"},
    {{"/IGNORE:0.5", "/IGNORE"}, "ignore%=0.0001"},
    // Real arguments are rounded to four decimals as report numbers are.
    {{"/IGNORE:0.00005"}, "ignore=0.0001"},
    {{"/IGNORE:0.00001"}, ""},
    {{"/IGNORE%:0.00001"}, "ignore%=0"},
    {{"/IGNORE%:12.34567"}, "ignore%=0.123457"},
    {{"/IGNORE:429496.7296"}, "ignore=429496.7295"},
    {{"/IGNORE:99999999999"}, "ignore=429496.7295"},
    {{"/SKIPHEAD:0", "/skipf:007"}, "head=0 foot=7"},
    {{"/SKIPFOOT:2147483647"}, "foot=2147483647"},
    {{"/V:12X"}, "pairs=12 1=X"},
    {{"/V:5", "/VERBOSE"}, ""},
    {{"/VERBOSITY"}, "1=ITY"},
    {{"/-NOPAGE", "/-SKIPP"}, "page plots"},
    {{"/-NOP", "/NOPAGE", "/-SKIPPLOT", "/SKIPPLOT"}, ""},
    {{"REPORT1/ALL", "", "/WORD", "REPORT2"}, "word all 1=REPORT1 2=REPORT2"},
    {{"?", "-x.rpt"}, "1=? 2=-X.RPT(-x.rpt)"},
    {{"Rep/v:3Ort", "c:\\b.rpt/All"},
     "all pairs=3 1=REPORT(RepOrt) 2=C:\\B.RPT(c:\\b.rpt)"},
    {{"A", "B", "/ALL"}, "all 1=A 2=B"},
    // Errors, in command-line order.
    {{"/"}, "*** Bad switch \"/\""},
    {{"/WORD/"}, "*** Bad switch \"/\" | word"},
    {{"Report/Foo/Word"}, "*** Bad switch \"/FOO/WORD\""},
    {{"/S"}, "*** Bad switch \"/S\""},
    {{"/L"}, "*** Bad switch \"/L\""},
    {{"C:/RUNS/X.RPT"}, "*** Bad switch \"/RUNS/X.RPT\""},
    {{"/FOO", "/ALL"}, "*** Bad switch \"/FOO\""},
    {{"/" + std::string(255, 'q')},
     "*** Bad switch \"/" + std::string(256 - 13, 'Q')},
    {{"/IGNORE:"}, "*** Bad real argument for switch"},
    {{"/I:1.2.3"}, "*** Bad real argument for switch"},
    {{"/I%:."}, "*** Bad real argument for switch"},
    {{"/SKIPHEAD"}, "*** Switch argument missing"},
    {{"/SKIPHEADER:3"}, "*** Switch argument missing"},
    {{"/SKIPFOOT:-1"}, "*** Bad cardinal argument for switch"},
    {{"/SKIPHEAD:2147483648"}, "*** Bad cardinal argument for switch"},
    {{"/V:99999999999999999999"}, "*** Bad cardinal argument for switch"},
    {{"A", "B/WORD", "C/V:7", "/FOO"},
     "*** Too many files | word pairs=7 1=A 2=B"},
};

TEST(Switches, SettingsFileNamesAndErrors) {
  for (const SwitchCase& c : kSwitchCases) {
    SCOPED_TRACE(c.words.front());
    FakeHost host;
    EXPECT_EQ(c.want, outcome(host, c.words));
  }
}

TEST(Switches, UsageRequestsPrintTheUsageAndEndTheRun) {
  FakeHost host;
  RunState run{host};
  printUsage(run);
  run.out.flush();
  std::string usage = host.output;
  usage.resize(usage.size() - 2);
  for (const char* word : {"/?", "/Help", "report/h"}) {
    SCOPED_TRACE(word);
    EXPECT_EQ(usage, outcome(host, {word, "X"}));
  }
}

TEST(Switches, ExistingPathWithSlashesIsOneFileName) {
  FakeHost host;
  host.addFile("runs/a.rpt", "");
  host.addFile("/tmp/all", "");
  EXPECT_EQ("1=RUNS/A.RPT(runs/a.rpt) 2=/TMP/ALL(/tmp/all)",
            outcome(host, {"runs/a.rpt", "/tmp/all"}));
  // Only the word exactly as typed counts.
  EXPECT_EQ("all 1=RUNS.RPT(runs.rpt)", outcome(host, {"runs/a.rpt/all"}));
  EXPECT_EQ("*** Bad switch \"/RUNS/A.RPT\"", outcome(host, {"C:/RUNS/A.RPT"}));
}

// A word that would be a bad switch but whose folder part (before its last
// slash) exists is a path whose file is missing.
TEST(Switches, BadSwitchInAnExistingFolderCannotBeOpened) {
  const SwitchCase rows[] = {
      {{"ONE", "rpt/nosuch.rpt"}, "*** Could not open RPT/NOSUCH.RPT | 1=ONE"},
      {{"/tmp/nosuch.rpt"}, "*** Could not open /TMP/NOSUCH.RPT"},
      {{"Rpt/x"}, "*** Could not open RPT/X"},
      {{"rpt/"}, "*** Could not open RPT/"},
      // The folder is looked up as typed, and only the text before the last
      // slash counts.
      {{"RPT/x"}, "*** Bad switch \"/X\""},
      {{"/tmp/rpt/x"}, "*** Bad switch \"/TMP/RPT/X\""},
      // No folder part, or a file in its place: still bad switches.
      {{"/FOO"}, "*** Bad switch \"/FOO\""},
      {{"a.rpt/FOO"}, "*** Bad switch \"/FOO\""},
      // Words that are no bad switch keep their meaning.
      {{"rpt/all"}, "all 1=RPT(rpt)"},
      {{"rpt/v:x"}, "*** Bad cardinal argument for switch"},
  };
  for (const SwitchCase& c : rows) {
    SCOPED_TRACE(c.words.back());
    FakeHost host;
    host.folders = {"rpt", "Rpt", "/tmp"};
    host.addFile("a.rpt", "");
    EXPECT_EQ(c.want, outcome(host, c.words));
  }
}

}  // namespace
