// The results model of a suite run: one record per report pair and the
// facts of the run. The runner fills it; every exporter (console, JSON,
// JUnit, HTML) is a pure function of it, and --merge reads JSON results back
// into it, so every report can be made from shards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "zudiz/zudiz.h"

namespace suite {

enum class PairStatus { kSame, kDifferent, kMissing, kError };

struct PairResult {
  // The relative path (folder mode) or the list line's first path.
  std::string name;
  std::string baseline;   // path of the baseline file ("" when it is missing)
  std::string candidate;  // path of the candidate file ("" when it is missing)
  // This pair's own switches (list mode), after the global ones.
  std::string switches;
  PairStatus status = PairStatus::kError;
  std::string message;  // missing / error: what happened, one line
  double seconds = 0;
  zudiz::Result result;    // the comparison (counts, listing, numbers, output)
  std::int64_t bytes = 0;  // bytes of both files read
};

struct Totals {
  std::int64_t pairs = 0, same = 0, different = 0, missing = 0, error = 0;
};

struct SuiteRun {
  std::string version;    // zudiz::kVersion
  std::string switches;   // the global switches
  std::string baseline;   // folder, file or list file
  std::string candidate;  // folder or file ("" in list mode)
  std::string shard = "1/1";
  std::string date;  // when the run started, ISO 8601 UTC
  double seconds = 0;
  std::vector<PairResult> pairs;  // in sorted name order
};

Totals totalsOf(const SuiteRun& run);

// "same", "different", "missing", "error".
const char* statusName(PairStatus status);
// The status of a name statusName gives; false for any other text.
bool parseStatus(std::string_view name, PairStatus* status);

// The suite's exit status for these totals: 2 when any pair is an error,
// else 1 when any is different or missing, else 0.
int exitStatusOf(const Totals& totals);

// The order of pairs in every report: by name, then baseline, candidate and
// switches, comparing bytes. Shards are cut from this order.
bool pairBefore(const PairResult& a, const PairResult& b);
void sortPairs(std::vector<PairResult>& pairs);

// Keeps at most `cap` of the number records of `result`: those with the
// largest relative difference, ties in file order, and leaves them in that
// order. Sets numbersCut when any record is dropped (it stays set when the
// library already dropped some). The histogram is left as it is.
inline constexpr std::size_t kAllNumbers = zudiz::kAllNumbers;
void keepLargestNumbers(zudiz::Result& result, std::size_t cap);

// Reads a shard "K/N" (1 <= K <= N, no blanks); false for any other text.
bool parseShard(std::string_view text, int* index, int* count);

// Adds every count of `from` to `into`.
void addHistogram(zudiz::Histogram& into, const zudiz::Histogram& from);

// Combines the results of shards of one suite into the run that would have
// done all of them: every pair in pair order, the facts of the first run,
// the longest time (shards run side by side), the earliest start. The shard
// is "1/1" when the shards K/N for every K of one N are all there, else the
// list of those given ("1/3,3/3"). Returns false with `error` set when two
// inputs are the same shard or give different shard counts; `warning` is
// set when shards are missing or the runs name different folders or switches.
bool mergeRuns(std::vector<SuiteRun> runs, SuiteRun* merged, std::string* error,
               std::string* warning);

}  // namespace suite
