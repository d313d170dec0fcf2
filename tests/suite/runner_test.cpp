#include "suite/runner.h"

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

namespace {

using suite::PairPlan;
using suite::PairStatus;

// Plans of `count` pairs; every third is already missing, the others are
// compared. The fake comparison makes pair i different when i is odd,
// sleeping a little in a varying pattern so workers finish out of order.
suite::PlanList plansOf(int count) {
  suite::PlanList plans;
  for (int i = 0; i < count; ++i) {
    PairPlan plan;
    plan.row.name = std::to_string(i);
    plan.row.bytes = 10;
    plan.toCompare = i % 3 != 0;
    if (!plan.toCompare) {
      plan.row.status = PairStatus::kMissing;
    }
    plans.add(plan);
  }
  return plans;
}

zudiz::Result fakeCompare(const suite::PairResult& row) {
  int i = std::stoi(row.name);
  std::this_thread::sleep_for(std::chrono::microseconds((i * 37) % 500));
  zudiz::Result result;
  result.status = i % 2 ? zudiz::Status::kDifferent : zudiz::Status::kSame;
  for (int k = 0; k < 5; ++k) {
    result.numbers.push_back({1.0, 1.0 + k, k, k, zudiz::Verdict::kListed});
  }
  return result;
}

TEST(SuiteRunner, HandsOnInPlanOrderWhateverTheJobs) {
  for (int jobs : {1, 2, 4, 16}) {
    SCOPED_TRACE(jobs);
    suite::RunnerSettings settings;
    settings.jobs = jobs;
    settings.numbersCap = 2;
    settings.progressInterval = 0.001;
    suite::RunnerHooks hooks;
    hooks.compare = fakeCompare;
    std::string order;
    hooks.finished = [&](const suite::PairResult& row) {
      order += row.name + ",";
    };
    suite::Progress last;
    int progressCalls = 0;
    hooks.progress = [&](const suite::Progress& p) {
      EXPECT_GE(p.pairsDone, last.pairsDone);
      last = p;
      ++progressCalls;
    };
    suite::RunnerOutcome outcome =
        suite::runPairs(plansOf(60), settings, hooks);
    EXPECT_FALSE(outcome.stopped);
    ASSERT_EQ(60u, outcome.rows.size());
    std::string expected;
    for (int i = 0; i < 60; ++i) {
      expected += std::to_string(i) + ",";
      const suite::PairResult& row = outcome.rows[i];
      EXPECT_EQ(std::to_string(i), row.name);
      PairStatus status = i % 3 == 0   ? PairStatus::kMissing
                          : i % 2 == 1 ? PairStatus::kDifferent
                                       : PairStatus::kSame;
      EXPECT_EQ(status, row.status) << i;
      if (i % 3 != 0) {
        ASSERT_EQ(2u, row.result.numbers.size());  // the cap is applied
        EXPECT_EQ(5.0, row.result.numbers[0].value2);
        EXPECT_TRUE(row.result.numbersCut);
      }
    }
    EXPECT_EQ(expected, order);
    EXPECT_GE(progressCalls, 1);
    EXPECT_EQ(60, last.pairsDone);
    EXPECT_EQ(600, last.bytesDone);
    EXPECT_EQ(600, last.bytesTotal);
  }
}

TEST(SuiteRunner, StopStartsNoNewPairAndKeepsAPrefix) {
  std::atomic<int> started{0};
  suite::RunnerSettings settings;
  settings.jobs = 3;
  suite::RunnerHooks hooks;
  hooks.compare = [&](const suite::PairResult& row) {
    ++started;
    return fakeCompare(row);
  };
  hooks.stopRequested = [&] { return started.load() >= 5; };
  suite::RunnerOutcome outcome = suite::runPairs(plansOf(100), settings, hooks);
  EXPECT_TRUE(outcome.stopped);
  EXPECT_LT(outcome.rows.size(), 20u);
  EXPECT_LE(started.load(), 5 + settings.jobs);
  for (std::size_t i = 0; i < outcome.rows.size(); ++i) {
    EXPECT_EQ(std::to_string(i), outcome.rows[i].name);
  }
}

TEST(SuiteRunner, AThrowingComparisonIsAnErrorRow) {
  suite::RunnerSettings settings;
  settings.jobs = 2;
  suite::RunnerHooks hooks;
  hooks.compare = [](const suite::PairResult& row) -> zudiz::Result {
    if (row.name == "2") {
      throw std::bad_alloc();
    }
    return fakeCompare(row);
  };
  suite::RunnerOutcome outcome = suite::runPairs(plansOf(6), settings, hooks);
  ASSERT_EQ(6u, outcome.rows.size());
  EXPECT_EQ(PairStatus::kError, outcome.rows[2].status);
  EXPECT_FALSE(outcome.rows[2].message.empty());
  EXPECT_EQ(PairStatus::kDifferent, outcome.rows[5].status);
}

TEST(SuiteRunner, NoPairs) {
  suite::RunnerHooks hooks;
  hooks.compare = fakeCompare;
  int progressCalls = 0;
  hooks.progress = [&](const suite::Progress&) { ++progressCalls; };
  suite::RunnerOutcome outcome = suite::runPairs({}, {}, hooks);
  EXPECT_TRUE(outcome.rows.empty());
  EXPECT_FALSE(outcome.stopped);
  EXPECT_EQ(1, progressCalls);
}

}  // namespace
