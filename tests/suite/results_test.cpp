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
  std::string warning;
  ASSERT_TRUE(suite::mergeRuns(runs, &merged, &error, &warning)) << error;
  EXPECT_EQ("", warning);
  EXPECT_EQ("1/1", merged.shard);
  EXPECT_EQ(7, merged.seconds);
  EXPECT_EQ("2024-05-01T10:00:01Z", merged.date);
  std::string names;
  for (const suite::PairResult& pair : merged.pairs) {
    names += pair.name;
  }
  EXPECT_EQ("abcde", names);
}

TEST(SuiteResults, MergeRefusesRepeatedOrMixedShards) {
  struct Row {
    std::vector<const char*> shards;
    bool ok;
    const char* shard;  // of the merged run
    bool warns;
  };
  const Row rows[] = {
      {{"1/2", "1/2"}, false, "", false},
      {{"1/2", "1/3"}, false, "", false},
      {{"1/1", "1/1"}, false, "", false},
      {{"x"}, false, "", false},
      {{"1/3", "3/3"}, true, "1/3,3/3", true},
      {{"2/2", "1/2"}, true, "1/1", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shards.size());
    std::vector<suite::SuiteRun> runs;
    for (const char* shard : row.shards) {
      runs.push_back(shardRun(shard, {"a"}));
    }
    suite::SuiteRun merged;
    std::string error;
    std::string warning;
    EXPECT_EQ(row.ok, suite::mergeRuns(runs, &merged, &error, &warning));
    EXPECT_EQ(row.ok, error.empty());
    if (row.ok) {
      EXPECT_EQ(row.shard, merged.shard);
      EXPECT_EQ(row.warns, !warning.empty());
    }
  }
}

TEST(SuiteResults, MergeWarnsOnRunsOfOtherFolders) {
  std::vector<suite::SuiteRun> runs = {shardRun("1/2", {"a"}),
                                       shardRun("2/2", {"b"})};
  runs[1].candidate = "elsewhere";
  suite::SuiteRun merged;
  std::string error;
  std::string warning;
  ASSERT_TRUE(suite::mergeRuns(runs, &merged, &error, &warning));
  EXPECT_NE(std::string::npos, warning.find("different folders"));
}

}  // namespace
