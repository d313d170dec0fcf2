#include "suite/results.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <set>
#include <tuple>

namespace suite {

Totals totalsOf(const SuiteRun& run) {
  Totals totals;
  for (const PairResult& pair : run.pairs) {
    ++totals.pairs;
    switch (pair.status) {
      case PairStatus::kSame:
        ++totals.same;
        break;
      case PairStatus::kDifferent:
        ++totals.different;
        break;
      case PairStatus::kMissing:
        ++totals.missing;
        if (run.allowAdded && onlyInCandidate(pair)) {
          ++totals.allowed;
        }
        break;
      case PairStatus::kError:
        ++totals.error;
        break;
    }
  }
  return totals;
}

bool onlyInCandidate(const PairResult& pair) {
  if (pair.status != PairStatus::kMissing) {
    return false;
  }
  if (!pair.baselineFile.path.empty()) {
    return !pair.baselineFile.exists && pair.candidateFile.exists;
  }
  return pair.baseline.empty() && !pair.candidate.empty();
}

bool onlyInBaseline(const PairResult& pair) {
  if (pair.status != PairStatus::kMissing) {
    return false;
  }
  if (!pair.baselineFile.path.empty()) {
    return pair.baselineFile.exists && !pair.candidateFile.exists;
  }
  return !pair.baseline.empty() && pair.candidate.empty();
}

const char* statusName(PairStatus status) {
  switch (status) {
    case PairStatus::kSame:
      return "same";
    case PairStatus::kDifferent:
      return "different";
    case PairStatus::kMissing:
      return "missing";
    case PairStatus::kError:
      break;
  }
  return "error";
}

bool parseStatus(std::string_view name, PairStatus* status) {
  for (PairStatus s : {PairStatus::kSame, PairStatus::kDifferent,
                       PairStatus::kMissing, PairStatus::kError}) {
    if (name == statusName(s)) {
      *status = s;
      return true;
    }
  }
  return false;
}

int exitStatusOf(const Totals& totals) {
  if (totals.error > 0) {
    return 2;
  }
  return totals.different + totals.missing - totals.allowed > 0 ? 1 : 0;
}

bool pairBefore(const PairResult& a, const PairResult& b) {
  return std::tie(a.name, a.baseline, a.candidate, a.switches) <
         std::tie(b.name, b.baseline, b.candidate, b.switches);
}

void sortPairs(std::vector<PairResult>& pairs) {
  std::stable_sort(pairs.begin(), pairs.end(), pairBefore);
}

void keepLargestNumbers(zudiz::Result& result, std::size_t cap) {
  std::vector<zudiz::NumberPair>& numbers = result.numbers;
  std::vector<double> relative(numbers.size());
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    relative[i] =
        zudiz::relativeDifference(numbers[i].value1, numbers[i].value2);
  }
  std::vector<std::size_t> order(numbers.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  // The index breaks ties, so the order is total and the sort stable.
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return relative[a] != relative[b] ? relative[a] > relative[b] : a < b;
  });
  if (order.size() > cap) {
    order.resize(cap);
    result.numbersCut = true;
  }
  std::vector<zudiz::NumberPair> kept;
  kept.reserve(order.size());
  for (std::size_t i : order) {
    kept.push_back(numbers[i]);
  }
  numbers = std::move(kept);
}

bool parseShard(std::string_view text, int* index, int* count) {
  std::size_t slash = text.find('/');
  if (slash == std::string_view::npos) {
    return false;
  }
  auto readNumber = [](std::string_view digits, int* value) {
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
      return false;
    }
    std::from_chars(digits.data(), digits.data() + digits.size(), *value);
    return true;
  };
  int k = 0;
  int n = 0;
  if (!readNumber(text.substr(0, slash), &k) ||
      !readNumber(text.substr(slash + 1), &n) || k < 1 || k > n) {
    return false;
  }
  *index = k;
  *count = n;
  return true;
}

void addHistogram(zudiz::Histogram& into, const zudiz::Histogram& from) {
  for (int bucket = 0; bucket < zudiz::kHistogramBuckets; ++bucket) {
    for (int verdict = 0; verdict < zudiz::kVerdicts; ++verdict) {
      into.counts[bucket][verdict] += from.counts[bucket][verdict];
    }
  }
}

bool mergeRuns(std::vector<SuiteRun> runs, SuiteRun* merged, std::string* error,
               std::string* warning) {
  error->clear();
  warning->clear();
  if (runs.empty()) {
    *error = "nothing to merge";
    return false;
  }
  int shardCount = 0;
  std::set<int> shards;
  for (const SuiteRun& run : runs) {
    int k = 0;
    int n = 0;
    if (!parseShard(run.shard, &k, &n)) {
      *error = "bad shard \"" + run.shard + "\"";
      return false;
    }
    if (shardCount != 0 && n != shardCount) {
      *error = "shards of different counts: " + runs.front().shard + " and " +
               run.shard;
      return false;
    }
    shardCount = n;
    if (!shards.insert(k).second) {
      *error = "shard " + run.shard + " given twice";
      return false;
    }
  }

  SuiteRun out;
  const SuiteRun& first = runs.front();
  out.version = first.version;
  out.switches = first.switches;
  out.baseline = first.baseline;
  out.candidate = first.candidate;
  out.date = first.date;
  out.allowAdded = first.allowAdded;
  bool sameFacts = true;
  for (SuiteRun& run : runs) {
    sameFacts = sameFacts && run.switches == out.switches &&
                run.baseline == out.baseline && run.candidate == out.candidate;
    if (!run.date.empty() && (out.date.empty() || run.date < out.date)) {
      out.date = run.date;
    }
    out.seconds = std::max(out.seconds, run.seconds);
    for (PairResult& pair : run.pairs) {
      out.pairs.push_back(std::move(pair));
    }
  }
  sortPairs(out.pairs);

  if (static_cast<int>(shards.size()) == shardCount) {
    out.shard = "1/1";
  } else {
    out.shard.clear();
    std::string absent;
    for (int k = 1; k <= shardCount; ++k) {
      std::string name = std::to_string(k) + "/" + std::to_string(shardCount);
      std::string& list = shards.count(k) ? out.shard : absent;
      list += (list.empty() ? "" : ",") + name;
    }
    *warning = "shards " + absent + " are not among the results";
  }
  if (!sameFacts) {
    *warning += std::string(warning->empty() ? "" : "; ") +
                "the results are of different folders or switches";
  }
  *merged = std::move(out);
  return true;
}

}  // namespace suite
