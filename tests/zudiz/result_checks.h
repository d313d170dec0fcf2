// Checks that hold for every result: the number records, the histogram and
// the counts tell the same story.
#pragma once

#include <cstdint>

#include <gtest/gtest.h>

#include "zudiz/zudiz.h"

inline std::int64_t histogramColumn(const zudiz::Result& r, zudiz::Verdict v) {
  std::int64_t sum = 0;
  for (const auto& bucket : r.histogram.counts) {
    sum += bucket[static_cast<int>(v)];
  }
  return sum;
}

// Each verdict's histogram column equals its count, and the histogram is
// the one of the records when none were cut.
inline void expectRecordsMatchCounts(const zudiz::Result& r) {
  using zudiz::Verdict;
  EXPECT_EQ(r.counts.numericDifferences, histogramColumn(r, Verdict::kListed));
  EXPECT_EQ(r.counts.tinyExcused, histogramColumn(r, Verdict::kTiny));
  EXPECT_EQ(r.counts.lastPlaceExcused, histogramColumn(r, Verdict::kLastPlace));
  if (r.numbersCut) {
    return;
  }
  zudiz::Histogram fromNumbers;
  for (const zudiz::NumberPair& n : r.numbers) {
    int bucket =
        zudiz::histogramBucket(zudiz::relativeDifference(n.value1, n.value2));
    ++fromNumbers.counts[bucket][static_cast<int>(n.verdict)];
  }
  EXPECT_TRUE(fromNumbers == r.histogram);
}
