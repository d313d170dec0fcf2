#include "suite/results.h"

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

namespace {

using suite::PairStatus;

TEST(SuiteResults, ExitStatusErrorWinsOverDifferent) {
  struct Row {
    std::int64_t same, different, missing, error;
    int status;
  };
  const Row rows[] = {
      {0, 0, 0, 0, 0}, {5, 0, 0, 0, 0}, {5, 1, 0, 0, 1},
      {5, 0, 1, 0, 1}, {5, 0, 0, 1, 2}, {0, 3, 2, 1, 2},
  };
  for (const Row& row : rows) {
    suite::Totals totals;
    totals.same = row.same;
    totals.different = row.different;
    totals.missing = row.missing;
    totals.error = row.error;
    totals.pairs = row.same + row.different + row.missing + row.error;
    SCOPED_TRACE(testing::Message() << row.same << " " << row.different << " "
                                    << row.missing << " " << row.error);
    EXPECT_EQ(row.status, suite::exitStatusOf(totals));
  }
}

TEST(SuiteResults, ShardText) {
  struct Row {
    const char* text;
    bool ok;
    int k, n;
  };
  const Row rows[] = {
      {"1/1", true, 1, 1},    {"3/4", true, 3, 4},
      {"4/4", true, 4, 4},    {"0/4", false, 0, 0},
      {"5/4", false, 0, 0},   {"1/0", false, 0, 0},
      {"1", false, 0, 0},     {"/4", false, 0, 0},
      {"1/", false, 0, 0},    {" 1/2", false, 0, 0},
      {"1/2 ", false, 0, 0},  {"-1/2", false, 0, 0},
      {"1/2/3", false, 0, 0}, {"99999999999/1", false, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    int k = 0;
    int n = 0;
    EXPECT_EQ(row.ok, suite::parseShard(row.text, &k, &n));
    if (row.ok) {
      EXPECT_EQ(row.k, k);
      EXPECT_EQ(row.n, n);
    }
  }
}

zudiz::NumberPair number(double a, double b, std::int64_t line) {
  zudiz::NumberPair n;
  n.value1 = a;
  n.value2 = b;
  n.line1 = line;
  n.line2 = line;
  return n;
}

TEST(SuiteResults, KeepsLargestRelativeDifferencesTiesInFileOrder) {
  zudiz::Result result;
  // Relative differences: 0.5, 0.01, 0.5, 1, 0.01 (lines 1..5).
  result.numbers = {number(1, 2, 1), number(100, 99, 2), number(-2, -1, 3),
                    number(0, 5, 4), number(50, 50.5, 5)};
  zudiz::Result all = result;
  suite::keepLargestNumbers(all, suite::kAllNumbers);
  std::vector<std::int64_t> lines;
  for (const zudiz::NumberPair& n : all.numbers) {
    lines.push_back(n.line1);
  }
  EXPECT_EQ((std::vector<std::int64_t>{4, 1, 3, 2, 5}), lines);
  EXPECT_FALSE(all.numbersCut);

  struct Row {
    std::size_t cap;
    std::size_t kept;
    bool cut;
  };
  for (const Row& row : {Row{0, 0, true}, Row{2, 2, true}, Row{4, 4, true},
                         Row{5, 5, false}, Row{6, 5, false}}) {
    SCOPED_TRACE(row.cap);
    zudiz::Result capped = result;
    suite::keepLargestNumbers(capped, row.cap);
    EXPECT_EQ(row.kept, capped.numbers.size());
    EXPECT_EQ(row.cut, capped.numbersCut);
    for (std::size_t i = 0; i < capped.numbers.size(); ++i) {
      EXPECT_EQ(lines[i], capped.numbers[i].line1);
    }
  }
}

TEST(SuiteResults, CutByTheLibraryStaysCut) {
  zudiz::Result result;
  result.numbers = {number(1, 2, 1)};
  result.numbersCut = true;
  suite::keepLargestNumbers(result, suite::kAllNumbers);
  EXPECT_TRUE(result.numbersCut);
}

suite::SuiteRun shardRun(const char* shard, std::vector<const char*> names) {
  suite::SuiteRun run;
  run.shard = shard;
  run.baseline = "base";
  run.candidate = "cand";
  for (const char* name : names) {
    suite::PairResult pair =
        suite_test::pairNamed(name, PairStatus::kDifferent);
    pair.result.histogram.counts[3][1] = 2;
    pair.result.histogram.counts[10][0] = 1;
    run.pairs.push_back(pair);
  }
  return run;
}

TEST(SuiteResults, MergeSortsPairsAndCompletesTheShards) {
  std::vector<suite::SuiteRun> runs = {shardRun("2/3", {"b", "e"}),
                                       shardRun("1/3", {"a", "d"}),
                                       shardRun("3/3", {"c"})};
  runs[0].seconds = 4;
  runs[1].seconds = 7;
  runs[0].date = "2024-05-01T10:00:05Z";
  runs[1].date = "2024-05-01T10:00:01Z";
  suite::SuiteRun merged;
  std::string error;
  ASSERT_TRUE(
      suite::mergeRuns(runs, false, suite::kAllNumbers, &merged, &error))
      << error;
  EXPECT_EQ("1/1", merged.shard);
  EXPECT_TRUE(merged.shards.empty());
  EXPECT_EQ("", suite::partialText(merged));
  EXPECT_EQ(7, merged.seconds);
  EXPECT_EQ("2024-05-01T10:00:01Z", merged.date);
  std::string names;
  for (const suite::PairResult& pair : merged.pairs) {
    names += pair.name;
  }
  EXPECT_EQ("abcde", names);
}

TEST(SuiteResults, MergeIsWholeOrPartialOnPurpose) {
  struct Row {
    std::vector<const char*> shards;
    bool allowPartial;
    const char* result;  // the merged run's shard, or the error
  };
  const Row rows[] = {
      {{"1/2", "1/2"}, false, "shard 1/2 given twice"},
      {{"1/2", "1/2"}, true, "shard 1/2 given twice"},
      {{"1/2", "1/3"}, true, "shards of different counts: 1/2 and 1/3"},
      {{"1/1", "1/1"}, false, "shard 1/1 given twice"},
      {{"x"}, true, "bad shard \"x\""},
      {{"2/2", "1/2"}, false, "1/1"},
      {{"1/1"}, false, "1/1"},
      {{"3/6", "4/6", "6/6"},
       false,
       "shards 1/6, 2/6 and 5/6 are missing (--allow-partial merges the "
       "others)"},
      {{"1/3", "3/3"}, false, "shard 2/3 is missing"},
      {{"3/3", "1/3"}, true, "1/3,3/3"},
  };
  for (const Row& row : rows) {
    std::string shards;
    for (const char* shard : row.shards) {
      shards += std::string(shard) + " ";
    }
    SCOPED_TRACE(shards + (row.allowPartial ? "partial" : "whole"));
    std::vector<suite::SuiteRun> runs;
    for (const char* shard : row.shards) {
      runs.push_back(shardRun(shard, {"a"}));
    }
    suite::SuiteRun merged;
    std::string error;
    bool ok = suite::mergeRuns(runs, row.allowPartial, 100, &merged, &error);
    EXPECT_EQ(ok, error.empty());
    if (ok) {
      EXPECT_EQ(row.result, merged.shard);
    } else {
      EXPECT_EQ(0u, error.find(row.result)) << error;
    }
  }
}

TEST(SuiteResults, PartialMergeListsItsShardsAndMergesAgain) {
  std::vector<suite::SuiteRun> runs = {shardRun("3/6", {"c"}),
                                       shardRun("1/6", {"a"})};
  suite::SuiteRun partial;
  std::string error;
  ASSERT_TRUE(suite::mergeRuns(runs, true, 100, &partial, &error));
  EXPECT_EQ((std::vector<std::string>{"1/6", "3/6"}), partial.shards);
  EXPECT_EQ("partial: 2 of 6 shards", suite::partialText(partial));

  // With the rest, the partial run makes the whole one.
  runs = {partial, shardRun("2/6", {"b"}), shardRun("4/6", {"d"}),
          shardRun("5/6", {"e"}), shardRun("6/6", {"f"})};
  suite::SuiteRun whole;
  ASSERT_TRUE(suite::mergeRuns(runs, false, 100, &whole, &error)) << error;
  EXPECT_EQ("1/1", whole.shard);
  EXPECT_EQ(6u, whole.pairs.size());
  runs = {partial, shardRun("3/6", {"c"})};
  EXPECT_FALSE(suite::mergeRuns(runs, true, 100, &whole, &error));
  EXPECT_EQ("shard 3/6 given twice", error);
}

TEST(SuiteResults, MergeRefusesRunsOfOtherFoldersOrSwitches) {
  using Change = void (*)(suite::SuiteRun&);
  struct Row {
    Change change;
    const char* error;
  };
  const Row rows[] = {
      {[](suite::SuiteRun& r) { r.candidate = "elsewhere"; },
       "shards 1/2 and 2/2 differ in their candidate: \"cand\" and "
       "\"elsewhere\""},
      {[](suite::SuiteRun& r) { r.baseline = "other"; },
       "differ in their baseline"},
      {[](suite::SuiteRun& r) { r.switches = "/ALL"; },
       "differ in their switches: \"\" and \"/ALL\""},
      {[](suite::SuiteRun& r) { r.version = "0.9"; },
       "differ in their version"},
      {[](suite::SuiteRun& r) { r.numbersCap = suite::kAllNumbers; },
       "differ in their --numbers: \"100\" and \"all\""},
      {[](suite::SuiteRun& r) { r.lookahead = 10; },
       "differ in their --lookahead: \"1\" and \"10\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.error);
    std::vector<suite::SuiteRun> runs = {shardRun("1/2", {"a"}),
                                         shardRun("2/2", {"b"})};
    for (suite::SuiteRun& run : runs) {
      run.numbersCap = 100;
    }
    row.change(runs[1]);
    suite::SuiteRun merged;
    std::string error;
    for (bool allowPartial : {false, true}) {
      EXPECT_FALSE(suite::mergeRuns(runs, allowPartial, 100, &merged, &error));
      EXPECT_NE(std::string::npos, error.find(row.error)) << error;
    }
  }
}

TEST(SuiteResults, MergeKeepsTheSmallerNumbersCap) {
  std::vector<suite::SuiteRun> runs = {shardRun("1/1", {"a"})};
  runs[0].numbersCap = 5;
  suite::SuiteRun merged;
  std::string error;
  ASSERT_TRUE(suite::mergeRuns(runs, false, 100, &merged, &error));
  EXPECT_EQ(5u, merged.numbersCap);
  ASSERT_TRUE(suite::mergeRuns(runs, false, 3, &merged, &error));
  EXPECT_EQ(3u, merged.numbersCap);
}

}  // namespace
