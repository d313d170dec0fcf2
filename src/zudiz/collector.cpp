#include "zudiz/collector.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zudiz {

namespace {

// Heap order: `a` stays longer than `b` (a larger relative difference, or
// an equal one met earlier), so the top is the record to drop first.
bool keptLonger(const auto& a, const auto& b) {
  return a.relative != b.relative ? a.relative > b.relative : a.index < b.index;
}

std::string cut(std::string_view text) {
  return std::string(text.substr(0, std::min(text.size(), kMaxLineText)));
}

// The words of `line` that stand on the listed line `number` and in the
// listed text, where they are in `lineText`. A word is taken only when the
// line text holds its bytes there, so a line found from the window's start
// or cut short marks nothing wrong.
void addWords(const ListedLine& line, std::int64_t number,
              std::string_view listed, std::string_view lineText,
              std::vector<ListedWord>& words) {
  for (std::uint32_t k = 0; k < line.wordCount; ++k) {
    const WordSpot& spot = line.words[k];
    if (spot.line != number || spot.column < line.firstColumn) {
      continue;
    }
    const std::size_t column = spot.column - line.firstColumn;
    if (column + spot.length > listed.size() ||
        std::size_t{spot.inLine} + spot.length > lineText.size() ||
        listed.substr(column, spot.length) !=
            lineText.substr(spot.inLine, spot.length)) {
      continue;
    }
    words.push_back({column, spot.inLine, spot.length});
  }
}

}  // namespace

Collector::Collector(Result& result, const CompareOptions& options)
    : result_(result), maxNumbers_(options.maxNumbers) {
  contextLines = std::clamp(options.contextLines, 0, kMaxContextLines);
}

void Collector::listedPair(std::uint32_t line1, std::uint32_t line2,
                           std::optional<Side> extra, std::string_view text1,
                           std::string_view text2,
                           const std::array<ListedLine, 2>& lines) {
  ListedPair& pair = result_.pairs.emplace_back();
  pair.line1 = line1;
  pair.line2 = line2;
  pair.extra = extra ? fileNumber(*extra) : 0;
  pair.text1.assign(text1);
  pair.text2.assign(text2);
  std::int64_t* pages[2] = {&pair.page1, &pair.page2};
  std::string* texts[2] = {&pair.lineText1, &pair.lineText2};
  std::vector<std::string>* contexts[2] = {&pair.context1, &pair.context2};
  std::vector<ListedWord>* words[2] = {&pair.words1, &pair.words2};
  const std::string_view listed[2] = {text1, text2};
  const std::int64_t numbers[2] = {line1, line2};
  for (std::size_t i = 0; i < 2; ++i) {
    const ListedLine& line = lines[i];
    *pages[i] = line.page;
    *texts[i] = cut(line.text);
    addWords(line, numbers[i], listed[i], *texts[i], *words[i]);
    for (int k = 0; k < line.beforeCount; ++k) {
      contexts[i]->push_back(cut(line.before[static_cast<std::size_t>(k)]));
    }
  }
}

void Collector::numberPair(std::int64_t index, double value1, double value2,
                           std::int64_t line1, std::int64_t line2,
                           Verdict verdict) {
  // Records from `index` on were taken back. None below settled_ can be: the
  // alignment never goes back past a step it has settled.
  index = std::max(index, settled_);
  const auto unsettled = static_cast<std::uint64_t>(index - settled_);
  if (unsettled < unsettled_.size()) {
    unsettled_.resize(static_cast<std::size_t>(unsettled));
  }
  Record& record = unsettled_.emplace_back();
  record.index = index;
  record.relative = relativeDifference(value1, value2);
  record.pair.value1 = value1;
  record.pair.value2 = value2;
  record.pair.line1 = line1;
  record.pair.line2 = line2;
  record.pair.verdict = verdict;
}

void Collector::keep(const Record& record) {
  if (maxNumbers_ == 0) {
    return;
  }
  if (kept_.size() < maxNumbers_) {
    kept_.push_back(record);
    std::push_heap(
        kept_.begin(), kept_.end(),
        [](const Record& a, const Record& b) { return keptLonger(a, b); });
    return;
  }
  const auto order = [](const Record& a, const Record& b) {
    return keptLonger(a, b);
  };
  if (!keptLonger(record, kept_.front())) {
    return;
  }
  std::pop_heap(kept_.begin(), kept_.end(), order);
  kept_.back() = record;
  std::push_heap(kept_.begin(), kept_.end(), order);
}

void Collector::settle(std::int64_t count) {
  if (count <= settled_) {
    return;
  }
  const std::size_t n =
      std::min(static_cast<std::size_t>(count - settled_), unsettled_.size());
  for (std::size_t i = 0; i < n; ++i) {
    const Record& record = unsettled_[i];
    ++result_.histogram.counts[histogramBucket(record.relative)]
                              [static_cast<int>(record.pair.verdict)];
    if (record.relative > largestRelative_) {
      largestRelative_ = record.relative;
      result_.largest = record.pair;
    }
    keep(record);
  }
  unsettled_.clear();
  settled_ = count;
}

void Collector::finish(std::int64_t count) {
  // Records from `count` on were taken back after the last step.
  if (count >= settled_) {
    const auto live = static_cast<std::uint64_t>(count - settled_);
    if (live < unsettled_.size()) {
      unsettled_.resize(static_cast<std::size_t>(live));
    }
  }
  settle(count);
  std::sort(kept_.begin(), kept_.end(),
            [](const Record& a, const Record& b) { return a.index < b.index; });
  result_.numbers.clear();
  result_.numbers.reserve(kept_.size());
  for (const Record& record : kept_) {
    result_.numbers.push_back(record.pair);
  }
  kept_.clear();
  result_.numbersCut =
      static_cast<std::uint64_t>(settled_) > result_.numbers.size();
}

}  // namespace zudiz
