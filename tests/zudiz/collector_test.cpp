#include "zudiz/collector.h"

#include <cstdint>

#include <gtest/gtest.h>

namespace {

using zudiz::Collector;
using zudiz::Result;

// Record `index` with a relative difference of 0.5 (bucket 9) and `verdict`;
// value1 tells the records apart.
void record(Collector& c, std::int64_t index, double tag,
            Verdict verdict = Verdict::kTiny) {
  c.numberPair(index, tag, tag * 2, index + 1, index + 1, verdict);
}

std::int64_t total(const Result& r) {
  std::int64_t sum = 0;
  for (const auto& bucket : r.histogram.counts) {
    for (std::int64_t n : bucket) {
      sum += n;
    }
  }
  return sum;
}

TEST(Collector, RecordsTakenBackAreReplaced) {
  Result r;
  Collector c(r);
  record(c, 0, 1);
  record(c, 1, 2);
  record(c, 2, 3);
  // A trial took back records 1 and 2; the real comparison meets another.
  record(c, 1, 20, Verdict::kListed);
  c.finish(2);
  ASSERT_EQ(2u, r.numbers.size());
  EXPECT_EQ(1, r.numbers[0].value1);
  EXPECT_EQ(20, r.numbers[1].value1);
  EXPECT_EQ(zudiz::Verdict::kListed, r.numbers[1].verdict);
  EXPECT_EQ(2, total(r));
  EXPECT_EQ(1, r.histogram.counts[9][static_cast<int>(zudiz::Verdict::kTiny)]);
  EXPECT_EQ(1,
            r.histogram.counts[9][static_cast<int>(zudiz::Verdict::kListed)]);
  EXPECT_FALSE(r.numbersCut);
}

TEST(Collector, SettledRecordsCountOnceAndTheEndDropsATrial) {
  Result r;
  Collector c(r);
  record(c, 0, 1);
  record(c, 1, 2);
  c.settle(2);
  c.settle(2);  // nothing new
  record(c, 2, 3);
  record(c, 3, 4);
  // The run ended after a trial that was taken back to 2.
  c.finish(2);
  EXPECT_EQ(2u, r.numbers.size());
  EXPECT_EQ(2, total(r));
}

TEST(Collector, BeyondTheCapOnlyTheHistogramCounts) {
  const auto cap = static_cast<std::int64_t>(zudiz::kMaxNumbers);
  Result r;
  Collector c(r);
  for (std::int64_t i = 0; i < cap + 3; ++i) {
    record(c, i, static_cast<double>(i + 1));
  }
  c.settle(cap + 1);
  // Records cap + 1 and cap + 2 taken back, one new one met instead.
  record(c, cap + 1, 7);
  c.finish(cap + 2);
  EXPECT_EQ(zudiz::kMaxNumbers, r.numbers.size());
  EXPECT_EQ(static_cast<double>(cap), r.numbers.back().value1);
  EXPECT_TRUE(r.numbersCut);
  EXPECT_EQ(cap + 2, total(r));
}

TEST(Collector, KeepsTheLargestTiesInFileOrder) {
  Result r;
  zudiz::CompareOptions options;
  options.maxNumbers = 3;
  Collector c(r, options);
  // Relative differences by the mean: 0.4, 2/3, 0.105, 0.4 again, and a
  // fifth taken back and replaced by one of 1.96.
  const double pairs[][2] = {{1, 1.5}, {1, 2}, {10, 9}, {3, 2}, {2, 3}};
  for (std::int64_t i = 0; i < 5; ++i) {
    c.numberPair(i, pairs[i][0], pairs[i][1], i + 1, i + 1, Verdict::kListed);
  }
  c.settle(4);
  c.numberPair(4, 100, 1, 9, 9, Verdict::kTiny);  // replaces record 4
  c.settle(5);
  c.finish(5);
  ASSERT_EQ(3u, r.numbers.size());
  // 1.96, 2/3 and of the two of 0.4 the first met, in file order.
  EXPECT_EQ(1.5, r.numbers[0].value2);
  EXPECT_EQ(2, r.numbers[1].value2);
  EXPECT_EQ(100, r.numbers[2].value1);
  EXPECT_TRUE(r.numbersCut);
  ASSERT_TRUE(r.largest.has_value());
  EXPECT_EQ(100, r.largest->value1);
  EXPECT_EQ(5, total(r));
}

}  // namespace
