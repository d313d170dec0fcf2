#include "zudiz/collector.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace zudiz {

Verdict toVerdict(NumberVerdict verdict) {
  switch (verdict) {
    case NumberVerdict::kListed:
      return Verdict::kListed;
    case NumberVerdict::kTiny:
      return Verdict::kTiny;
    case NumberVerdict::kLastPlace:
      return Verdict::kLastPlace;
    case NumberVerdict::kWithinTolerance:
      return Verdict::kWithinTolerance;
  }
  return Verdict::kListed;
}

void Collector::listedPair(std::uint32_t line1, std::uint32_t line2, int extra,
                           std::string_view text1, std::string_view text2) {
  ListedPair& pair = result_.pairs.emplace_back();
  pair.line1 = line1;
  pair.line2 = line2;
  pair.extra = extra;
  pair.text1.assign(text1);
  pair.text2.assign(text2);
}

void Collector::numberPair(std::int64_t index, double value1, double value2,
                           std::int64_t line1, std::int64_t line2,
                           NumberVerdict verdict) {
  // Records from `index` on were taken back. None below settled_ can be: the
  // alignment never goes back past a step it has settled.
  index = std::max(index, settled_);
  const auto unsettled = static_cast<std::uint64_t>(index - settled_);
  if (unsettled < unsettled_.size()) {
    unsettled_.resize(static_cast<std::size_t>(unsettled));
  }
  std::vector<NumberPair>& numbers = result_.numbers;
  if (static_cast<std::uint64_t>(index) < numbers.size()) {
    numbers.resize(static_cast<std::size_t>(index));
  }

  const Verdict v = toVerdict(verdict);
  const int bucket = histogramBucket(relativeDifference(value1, value2));
  unsettled_.push_back(
      static_cast<std::uint8_t>(bucket * kVerdicts + static_cast<int>(v)));
  if (static_cast<std::uint64_t>(index) < kMaxNumbers) {
    NumberPair& pair = numbers.emplace_back();
    pair.value1 = value1;
    pair.value2 = value2;
    pair.line1 = line1;
    pair.line2 = line2;
    pair.verdict = v;
  }
}

void Collector::settle(std::int64_t count) {
  if (count <= settled_) {
    return;
  }
  const std::size_t n =
      std::min(static_cast<std::size_t>(count - settled_), unsettled_.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int code = unsettled_[i];
    ++result_.histogram.counts[code / kVerdicts][code % kVerdicts];
  }
  unsettled_.clear();
  settled_ = count;
}

void Collector::finish(std::int64_t count) {
  settle(count);
  const auto kept = static_cast<std::size_t>(
      std::min<std::uint64_t>(static_cast<std::uint64_t>(count), kMaxNumbers));
  if (result_.numbers.size() > kept) {
    result_.numbers.resize(kept);
  }
  result_.numbersCut = static_cast<std::uint64_t>(count) > kMaxNumbers;
}

}  // namespace zudiz
