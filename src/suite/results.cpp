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

namespace {

std::string shardName(int k, int n) {
  return std::to_string(k) + "/" + std::to_string(n);
}

// "a", "a and b", "a, b and c".
std::string listed(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    text += i == 0 ? "" : i + 1 == items.size() ? " and " : ", ";
    text += items[i];
  }
  return text;
}

std::string numbersText(const std::optional<std::size_t>& cap) {
  return !cap                  ? "(not recorded)"
         : *cap == kAllNumbers ? "all"
                               : std::to_string(*cap);
}

// The fact of `b` that differs from `a`, as "switches: \"\" and \"/ALL\"",
// or "".
std::string differingFact(const SuiteRun& a, const SuiteRun& b) {
  const std::pair<const char*, std::pair<std::string, std::string>> facts[] = {
      {"version", {a.version, b.version}},
      {"switches", {a.switches, b.switches}},
      {"baseline", {a.baseline, b.baseline}},
      {"candidate", {a.candidate, b.candidate}},
      {"--numbers", {numbersText(a.numbersCap), numbersText(b.numbersCap)}},
      {"--lookahead",
       {std::to_string(a.lookahead), std::to_string(b.lookahead)}}};
  for (const auto& [what, values] : facts) {
    if (values.first != values.second) {
      return std::string(what) + ": \"" + values.first + "\" and \"" +
             values.second + "\"";
    }
  }
  return "";
}

}  // namespace

bool mergeRuns(std::vector<SuiteRun> runs, bool allowPartial,
               std::size_t numbersCap, SuiteRun* merged, std::string* error) {
  error->clear();
  if (runs.empty()) {
    *error = "nothing to merge";
    return false;
  }
  int shardCount = 0;
  std::string firstShard;
  std::set<int> shards;
  for (const SuiteRun& run : runs) {
    // A partial merge stands for the shards it holds.
    std::vector<std::string> held = run.shards;
    if (held.empty()) {
      held.push_back(run.shard);
    }
    for (const std::string& shard : held) {
      int k = 0;
      int n = 0;
      if (!parseShard(shard, &k, &n)) {
        *error = "bad shard \"" + shard + "\"";
        return false;
      }
      if (shardCount != 0 && n != shardCount) {
        *error = "shards of different counts: " + firstShard + " and " + shard;
        return false;
      }
      shardCount = n;
      if (firstShard.empty()) {
        firstShard = shard;
      }
      if (!shards.insert(k).second) {
        *error = "shard " + shard + " given twice";
        return false;
      }
    }
  }
  const SuiteRun& first = runs.front();
  for (const SuiteRun& run : runs) {
    std::string fact = differingFact(first, run);
    if (!fact.empty()) {
      *error = "shards " + first.shard + " and " + run.shard +
               " differ in their " + fact;
      return false;
    }
  }
  std::vector<std::string> present;
  std::vector<std::string> absent;
  for (int k = 1; k <= shardCount; ++k) {
    (shards.count(k) ? present : absent).push_back(shardName(k, shardCount));
  }
  if (!absent.empty() && !allowPartial) {
    *error = (absent.size() == 1 ? "shard " : "shards ") + listed(absent) +
             (absent.size() == 1 ? " is" : " are") +
             " missing (--allow-partial merges the others)";
    return false;
  }

  SuiteRun out;
  out.version = first.version;
  out.switches = first.switches;
  out.baseline = first.baseline;
  out.candidate = first.candidate;
  out.date = first.date;
  out.allowAdded = first.allowAdded;
  out.lookahead = first.lookahead;
  if (first.numbersCap) {
    out.numbersCap = std::min(*first.numbersCap, numbersCap);
  }
  for (SuiteRun& run : runs) {
    if (!run.date.empty() && (out.date.empty() || run.date < out.date)) {
      out.date = run.date;
    }
    out.seconds = std::max(out.seconds, run.seconds);
    for (PairResult& pair : run.pairs) {
      out.pairs.push_back(std::move(pair));
    }
  }
  sortPairs(out.pairs);
  if (absent.empty()) {
    out.shard = "1/1";
  } else {
    out.shards = present;
    out.shard.clear();
    for (const std::string& name : present) {
      out.shard += (out.shard.empty() ? "" : ",") + name;
    }
  }
  *merged = std::move(out);
  return true;
}

std::string partialText(const SuiteRun& run) {
  if (run.shards.empty()) {
    return "";
  }
  int k = 0;
  int n = 0;
  parseShard(run.shards.front(), &k, &n);
  return "partial: " + std::to_string(run.shards.size()) + " of " +
         std::to_string(n) + " shards";
}

}  // namespace suite
