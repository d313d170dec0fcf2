#include "suite/pairing.h"

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

using suite::PairPlan;
using suite::PairStatus;
using suite_test::TempDir;

TEST(SuitePairing, Wildcards) {
  struct Row {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Row rows[] = {
      {"*", "", true},
      {"*", "run1.rpt", true},
      {"*.rpt", "run1.rpt", true},
      {"*.rpt", "run1.rpt.bak", false},
      {"*.rpt", ".rpt", true},
      {"run?.rpt", "run1.rpt", true},
      {"run?.rpt", "run12.rpt", false},
      {"run?.rpt", "run.rpt", false},
      {"*1*2*", "a1b2c", true},
      {"*1*2*", "a2b1c", false},
      {"a*b*c", "abbbbc", true},
      {"a*b*c", "abcbcbd", false},
      {"[rs]un*", "sun1", true},
      {"[rs]un*", "tun1", false},
      {"run[0-9].rpt", "run7.rpt", true},
      {"run[0-9].rpt", "runx.rpt", false},
      {"run[!0-9].rpt", "runx.rpt", true},
      {"run[!0-9].rpt", "run7.rpt", false},
      {"[]]", "]", true},
      {"[a-]", "-", true},
      {"[ab", "[ab", true},
      {"\\*.rpt", "*.rpt", true},
      {"\\*.rpt", "a.rpt", false},
      {"RUN*", "run1", false},
      {"*", "sub/a", false},
      {"sub/*.rpt", "sub/a.rpt", true},
      {"sub/*.rpt", "sub/deeper/a.rpt", false},
      {"*/*.rpt", "sub/a.rpt", true},
      {"s?b/a", "s/b/a", false},
      {"\xE9*", "\xE9t\xE9", true},
      {"", "", true},
      {"", "a", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.pattern) + " ~ " + row.name);
    EXPECT_EQ(row.matches, suite::matchWildcard(row.pattern, row.name));
  }
}

TEST(SuitePairing, FolderRunsInWildcards) {
  struct Row {
    const char* pattern;
    const char* name;
    bool matches;
  };
  const Row rows[] = {
      {"level2/**/*.rpt", "level2/a.rpt", true},  // no folder at all
      {"level2/**/*.rpt", "level2/x/a.rpt", true},
      {"level2/**/*.rpt", "level2/x/y/z/a.rpt", true},
      {"level2/**/*.rpt", "level2/x/a.txt", false},
      {"level2/**/*.rpt", "level1/x/a.rpt", false},
      {"level2/**/*.rpt", "top/level2/a.rpt", false},
      {"level2/**/*.rpt", "level2x/a.rpt", false},
      {"**/*.rpt", "a.rpt", true},
      {"**/*.rpt", "x/y/a.rpt", true},
      {"**/a.rpt", "x/ba.rpt", false},
      {"**", "x/y/a.rpt", true},
      {"sub/**", "sub/a.rpt", true},
      {"sub/**", "sub/x/y/a.rpt", true},
      {"sub/**", "other/a.rpt", false},
      {"a/**/b/**/c.rpt", "a/b/c.rpt", true},
      {"a/**/b/**/c.rpt", "a/x/b/y/z/c.rpt", true},
      {"a/**/b/**/c.rpt", "a/x/y/z/c.rpt", false},
      {"*/**/r?.rpt", "s/r1.rpt", true},
      {"*/**/r?.rpt", "r1.rpt", false},
      {"a**/b", "abc/b", true},  // not a whole folder name: as '*'
      {"a**/b", "a/x/b", false},
      {"\\**/b", "*/b", true},  // escaped: a plain star, then '*'
      {"\\**/b", "x/y/b", false},
      {"[**]/b", "*/b", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.pattern) + " ~ " + row.name);
    EXPECT_EQ(row.matches, suite::matchWildcard(row.pattern, row.name));
  }
  EXPECT_TRUE(suite::passesGlobs({"level2/**/*.rpt"}, "level2/deep/a.rpt"));
}

TEST(SuitePairing, GlobsMatchTheNameOrTheWholePath) {
  EXPECT_TRUE(suite::passesGlobs({}, "any/thing"));
  EXPECT_TRUE(suite::passesGlobs({"*.rpt"}, "sub/deep/a.rpt"));
  EXPECT_FALSE(suite::passesGlobs({"*.rpt"}, "sub/a.txt"));
  EXPECT_TRUE(suite::passesGlobs({"*.txt", "*.rpt"}, "sub/a.rpt"));
  EXPECT_TRUE(suite::passesGlobs({"sub/*"}, "sub/a.txt"));
  EXPECT_FALSE(suite::passesGlobs({"sub/*"}, "other/a.txt"));
  EXPECT_FALSE(suite::passesGlobs({"sub*"}, "sub/a.txt"));
}

TEST(SuitePairing, ListLineWords) {
  struct Row {
    const char* line;
    bool ok;
    std::vector<std::string> words;
  };
  const Row rows[] = {
      {"a b", true, {"a", "b"}},
      {"  a\t b  /ALL\r", true, {"a", "b", "/ALL"}},
      {"\"my run.rpt\" b", true, {"my run.rpt", "b"}},
      {"dir/\"a b\"/c x", true, {"dir/a b/c", "x"}},
      {"\"\" b", true, {"", "b"}},
      {"\"a b", false, {}},
      {"", true, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::vector<std::string> words;
    EXPECT_EQ(row.ok, suite::splitListLine(row.line, &words));
    if (row.ok) {
      EXPECT_EQ(row.words, words);
    }
  }
}

// name -> "status message baseline|candidate" for easy comparison.
std::map<std::string, std::string> describe(const suite::PlanList& plans) {
  std::map<std::string, std::string> out;
  for (const PairPlan& plan : plans) {
    std::string what =
        plan.toCompare ? "compare" : suite::statusName(plan.row.status);
    out[plan.row.name] =
        what + (plan.row.message.empty() ? "" : " ") + plan.row.message;
  }
  return out;
}

TEST(SuitePairing, ListLinesPairRelativeToTheListFolder) {
  TempDir dir;
  dir.write("base/a.rpt", "a");
  dir.write("new/a.rpt", "aa");
  dir.write("base/my run.rpt", "b");
  dir.write("new/my run.rpt", "b");
  dir.write("base/only.rpt", "c");
  std::string list =
      "# baseline candidate switches\n"
      "\n"
      "base/a.rpt new/a.rpt /ALL /SKIPH:3\r\n"
      "\"base/my run.rpt\" \"new/my run.rpt\"\n"
      "base/only.rpt new/only.rpt\n"
      "   # indented comment\n"
      "lonely.rpt\n"
      "\"open quote\n";
  suite::PlanList plans = suite::pairList(list, dir.path().string());
  std::map<std::string, std::string> expected = {
      {"base/a.rpt", "compare"},
      {"base/my run.rpt", "compare"},
      {"base/only.rpt", "missing candidate not found: new/only.rpt"},
      {"line 7", "error a pair needs two file names"},
      {"line 8", "error a quote is not closed"},
  };
  EXPECT_EQ(expected, describe(plans));
  ASSERT_EQ(5u, plans.size());
  EXPECT_EQ("base/a.rpt", plans[0].row.name);  // sorted by name
  EXPECT_EQ("/ALL /SKIPH:3", plans[0].row.switches);
  EXPECT_EQ(3, plans[0].row.bytes);
  EXPECT_EQ(std::filesystem::path(dir / "base/a.rpt"),
            std::filesystem::path(plans[0].row.baseline));
  EXPECT_EQ("", plans[2].row.candidate);  // missing side has no path
}

TEST(SuitePairing, ListLinesMayRepeatAFileAfterAByteOrderMark) {
  TempDir dir;
  dir.write("a", "1");
  dir.write("b", "2");
  suite::PlanList plans = suite::pairList(
      "\xEF\xBB\xBF"
      "a b /LINE\na b /ALL\na b\n",
      dir.path().string());
  ASSERT_EQ(3u, plans.size());
  EXPECT_TRUE(plans[0].toCompare);
  // A repeated name gets its line number, so every pair has its own name.
  EXPECT_EQ("a (line 1)", plans[0].row.name);
  EXPECT_EQ("/LINE", plans[0].row.switches);
  EXPECT_EQ("a (line 2)", plans[1].row.name);
  EXPECT_EQ("/ALL", plans[1].row.switches);
  EXPECT_EQ("a (line 3)", plans[2].row.name);
  EXPECT_EQ("", plans[2].row.switches);
}

TEST(SuitePairing, ListTyposAreErrorsThatNameTheirLineOrFile) {
  TempDir dir;
  dir.write("base/a.rpt", "1");
  dir.write("cand/a.rpt", "2");
  dir.write("base/b.rpt", "1");
  dir.write("cand/c.rpt", "2");
  std::string list =
      "base/a.rpt cand/a.rpt\n"
      "base/nope.rpt cand/nope.rpt\n"
      "base/b.rpt cand/b.rpt\n"
      "base/c.rpt cand/c.rpt\n"
      "# comment\n"
      "base/a.rpt cand/a.rpt /SKIPH:2\n"
      "base/b.rpt cand/a.rpt /FOO\n"
      "base/a.rpt base/a.rpt\n"
      "base/a.rpt cand/a.rpt c.rpt\n"
      "\"\" cand/a.rpt\n";
  std::map<std::string, std::string> expected = {
      {"base/a.rpt (line 1)", "compare"},
      {"base/nope.rpt",
       "error neither file exists: base/nope.rpt, cand/nope.rpt"},
      {"base/b.rpt (line 3)", "missing candidate not found: cand/b.rpt"},
      {"base/c.rpt", "missing baseline not found: base/c.rpt"},
      {"base/a.rpt (line 6)", "compare"},
      {"base/b.rpt (line 7)", "error line 7: Bad switch \"/FOO\""},
      {"base/a.rpt (line 8)",
       "error baseline and candidate are the same file: base/a.rpt, "
       "base/a.rpt"},
      {"base/a.rpt (line 9)", "error line 9: Too many files"},
      {"line 10", "error a file name is empty"},
  };
  suite::PlanList plans = suite::pairList(list, dir.path().string());
  EXPECT_EQ(expected, describe(plans));
  EXPECT_EQ(expected.size(), plans.size());  // no name given twice
}

TEST(SuitePairing, ReadsAnyListTextIntoLines) {
  struct Row {
    std::string text;
    const char* lines;  // "N:baseline|candidate|switches|error;" per line
  };
  const Row rows[] = {
      {"", ""},
      {"\n\n# only comments\n  \t\r\n", ""},
      {"a b", "1:a|b||;"},
      {"a b /ALL\r\nc\n", "1:a|b|/ALL|;2:|||a pair needs two file names;"},
      {"a \"b\n\"c d\"",
       "1:|||a quote is not closed;2:|||a pair needs two "
       "file names;"},
      {"\n\na b /FOO", "3:a|b|/FOO|line 3: Bad switch \"/FOO\";"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::string got;
    for (const suite::ListLine& line : suite::readPairList(row.text)) {
      got += std::to_string(line.line) + ":" + line.baseline + "|" +
             line.candidate + "|" + line.switches + "|" + line.error + ";";
    }
    EXPECT_EQ(std::string(row.lines), got);
  }
}

TEST(SuitePairing, FoldersPairByRelativePath) {
  TempDir dir;
  dir.write("a/same.rpt", "x");
  dir.write("b/same.rpt", "x");
  dir.write("a/sub/deep/r.rpt", "x");
  dir.write("b/sub/deep/r.rpt", "x");
  dir.write("a/gone.rpt", "x");
  dir.write("b/new.rpt", "x");
  dir.write("a/notes.txt", "x");
  dir.write("b/notes.txt", "x");
  dir.write("a/clash.rpt", "x");  // a file here, a folder there
  dir.write("b/clash.rpt/inside.rpt", "x");
  std::filesystem::create_directories(dir / "a/empty");

  std::map<std::string, std::string> expected = {
      {"clash.rpt", "error a folder in candidate"},
      {"clash.rpt/inside.rpt",
       "missing only in candidate: clash.rpt/inside.rpt"},
      {"gone.rpt", "missing only in baseline: gone.rpt"},
      {"new.rpt", "missing only in candidate: new.rpt"},
      {"notes.txt", "compare"},
      {"same.rpt", "compare"},
      {"sub/deep/r.rpt", "compare"},
  };
  suite::PlanList plans = suite::pairFolders(dir / "a", dir / "b", {});
  EXPECT_EQ(expected, describe(plans));
  for (std::size_t i = 1; i < plans.size(); ++i) {
    EXPECT_LT(plans[i - 1].row.name, plans[i].row.name);
  }

  expected.erase("notes.txt");
  EXPECT_EQ(expected,
            describe(suite::pairFolders(dir / "a", dir / "b", {"*.rpt"})));
}

#ifndef _WIN32
// Names are bytes: a Latin-1 name and the UTF-8 name that looks the same
// are two files, so two pairs, never one.
TEST(SuitePairing, ALatin1NameAndItsUtf8LookAlikeStayTwoPairs) {
  TempDir dir;
  dir.write("a/TR\xC4GER.rpt", "x");
  dir.write("b/TR\xC3\x84GER.rpt", "x");
  const std::map<std::string, std::string> expected = {
      {"TR\xC3\x84GER.rpt", "missing only in candidate: TR\xC3\x84GER.rpt"},
      {"TR\xC4GER.rpt", "missing only in baseline: TR\xC4GER.rpt"},
  };
  EXPECT_EQ(expected, describe(suite::pairFolders(dir / "a", dir / "b", {})));
}

TEST(SuitePairing, OddEntriesAreErrorRowsNotStops) {
  TempDir dir;
  dir.write("a/fifo.rpt", "x");
  std::filesystem::create_directories(dir / "b");
  ASSERT_EQ(0, mkfifo((dir / "b/fifo.rpt").c_str(), 0600));
  dir.write("a/dangling.rpt", "x");
  std::filesystem::create_symlink(dir / "b/nowhere", dir / "b/dangling.rpt");
  dir.write("a/linked.rpt", "x");
  dir.write("target.rpt", "x");
  std::filesystem::create_symlink(dir / "target.rpt", dir / "b/linked.rpt");
  std::filesystem::create_directory_symlink(dir.path(), dir / "b/loop");

  std::map<std::string, std::string> expected = {
      {"dangling.rpt", "error broken link in candidate"},
      {"fifo.rpt", "error not a regular file in candidate"},
      {"linked.rpt", "compare"},
  };
  EXPECT_EQ(expected, describe(suite::pairFolders(dir / "a", dir / "b", {})));
}
#endif

TEST(SuitePairing, TwoFilesMakeOnePair) {
  TempDir dir;
  std::string one = dir.write("one.rpt", "abc");
  std::string two = dir.write("two.rpt", "de");
  PairPlan plan = suite::pairFiles(one, two);
  EXPECT_TRUE(plan.toCompare);
  EXPECT_EQ(5, plan.row.bytes);
  PairPlan missing = suite::pairFiles(one, dir / "none.rpt");
  EXPECT_FALSE(missing.toCompare);
  EXPECT_EQ(PairStatus::kMissing, missing.row.status);
  PairPlan folder = suite::pairFiles(one, dir.path().string());
  EXPECT_EQ(PairStatus::kError, folder.row.status);
  EXPECT_EQ("a folder in candidate", folder.row.message);
}

TEST(SuitePairing, ShardsSplitThePairsWithoutOverlap) {
  suite::PlanList plans;
  for (int i = 0; i < 10; ++i) {
    PairPlan plan;
    plan.row.name = std::to_string(i);
    plans.add(plan);
  }
  for (int count : {1, 3, 4, 10, 12}) {
    std::string seen;
    for (int index = 1; index <= count; ++index) {
      for (const PairPlan& plan : suite::selectShard(plans, index, count)) {
        int position = std::stoi(plan.row.name);
        EXPECT_EQ(index - 1, position % count);
        seen += plan.row.name;
      }
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ("0123456789", seen) << count;
  }
}

}  // namespace

// Every field of a plan, for comparing whole plans.
std::string everything(const PairPlan& plan) {
  const suite::PairFacts& r = plan.row;
  auto side = [](const suite::FileFacts& f) {
    return f.path + "|" + std::to_string(f.exists) + "|" +
           std::to_string(f.size) + "|" + std::to_string(f.mtimeNs);
  };
  return std::to_string(plan.toCompare) + "|" + r.name + "|" + r.baseline +
         "|" + r.candidate + "|" + r.switches + "|" +
         suite::statusName(r.status) + "|" + r.message + "|" +
         std::to_string(r.bytes) + "|" + side(r.baselineFile) + "|" +
         side(r.candidateFile);
}

TEST(SuitePairing, APlanListGivesBackEachPlanWhole) {
  const std::string rootA = (std::filesystem::path("base") / "a").string();
  const std::string rootB = (std::filesystem::path("cand") / "b").string();
  auto under = [](const std::string& root, const std::string& name) {
    return (std::filesystem::path(root) / name).make_preferred().string();
  };
  auto plan = [](std::string name, bool compare, PairStatus status,
                 std::string message, suite::FileFacts one,
                 suite::FileFacts two, bool presentOne, bool presentTwo) {
    PairPlan p;
    p.toCompare = compare;
    p.row.name = std::move(name);
    p.row.status = status;
    p.row.message = std::move(message);
    p.row.bytes = one.size + two.size;
    p.row.baseline = presentOne ? one.path : "";
    p.row.candidate = presentTwo ? two.path : "";
    p.row.baselineFile = std::move(one);
    p.row.candidateFile = std::move(two);
    return p;
  };
  const std::vector<PairPlan> plans = {
      // Paths under the roots (kept as the name only), and elsewhere.
      plan("g/x.rpt", true, PairStatus::kError, "",
           {under(rootA, "g/x.rpt"), true, 12, 1700000000123456789},
           {under(rootB, "g/x.rpt"), true, 13, -5}, true, true),
      plan("g/gone.rpt", false, PairStatus::kMissing,
           "only in baseline: g/gone.rpt",
           {under(rootA, "g/gone.rpt"), true, 4, 9},
           {under(rootB, "g/gone.rpt")}, true, false),
      plan("listed.rpt", true, PairStatus::kError, "",
           {"/elsewhere/listed.rpt", true, 1, 2},
           {under(rootB, "other.rpt"), true, 3, 4}, true, true),
      plan("broken", false, PairStatus::kError,
           "cannot read the baseline folder: denied", {}, {}, false, false),
      plan("", false, PairStatus::kError, "a file name is empty", {}, {}, false,
           false),
  };
  suite::PlanList list(rootA, rootB);
  for (const PairPlan& p : plans) {
    list.add(p);
  }
  ASSERT_EQ(plans.size(), list.size());
  for (std::size_t i = 0; i < plans.size(); ++i) {
    EXPECT_EQ(everything(plans[i]), everything(list[i])) << i;
    EXPECT_EQ(plans[i].row.name, list.name(i));
    EXPECT_EQ(plans[i].row.bytes, list.bytes(i));
  }

  // Switches, a shard and pair order keep every other field.
  list.setSwitches(1, "/ALL");
  list.setSwitches(2, "/ALL");
  list.setSwitches(3, "/LINE");
  EXPECT_EQ("/ALL", list[1].row.switches);
  EXPECT_EQ("/LINE", list[3].row.switches);
  EXPECT_EQ("", list[4].row.switches);
  suite::PlanList sorted = list;
  sorted.sort();
  std::vector<std::string> names;
  for (const PairPlan& p : sorted) {
    names.push_back(p.row.name);
  }
  EXPECT_EQ((std::vector<std::string>{"", "broken", "g/gone.rpt", "g/x.rpt",
                                      "listed.rpt"}),
            names);
  EXPECT_EQ(everything(list[0]), everything(sorted[3]));
  suite::PlanList shard = suite::selectShard(list, 2, 3);
  ASSERT_EQ(2u, shard.size());
  EXPECT_EQ(everything(list[1]), everything(shard[0]));
  EXPECT_EQ(everything(list[4]), everything(shard[1]));

  // A plan whose row names another path than its file's is refused.
  PairPlan odd = plans[0];
  odd.row.candidate = "somewhere/else.rpt";
  EXPECT_THROW(list.add(odd), std::invalid_argument);
}
