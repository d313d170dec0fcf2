// The results model of a suite run: one record per report pair and the
// facts of the run. The runner fills it; every exporter (console, JSON,
// JUnit, HTML) is a pure function of it, and --merge reads JSON results back
// into it, so every report can be made from shards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zudiz/zudiz.h"

namespace suite {

enum class PairStatus { kSame, kDifferent, kMissing, kError };

// One side's file as the run found it, so that --accept can tell whether it
// changed since. `path` is where the file is or would be (also when it is
// missing); size and time are known only when it existed as a regular file.
struct FileFacts {
  std::string path;
  bool exists = false;
  std::int64_t size = 0;
  std::int64_t mtimeNs = 0;  // last modification, ns since 1970 UTC
};

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
  // What stood at each side when the pairs were planned; empty paths in
  // results of older versions.
  FileFacts baselineFile, candidateFile;
};

struct Totals {
  std::int64_t pairs = 0, same = 0, different = 0, missing = 0, error = 0;
  // Missing pairs that --allow-added lets pass (only in candidate); they
  // are counted in `missing` too.
  std::int64_t allowed = 0;
};

struct SuiteRun {
  std::string version;    // zudiz::kVersion
  std::string switches;   // the global switches
  std::string baseline;   // folder, file or list file
  std::string candidate;  // folder or file ("" in list mode)
  std::string shard = "1/1";
  bool allowAdded = false;  // --allow-added: only-in-candidate pairs pass
  // A partial merge: the shards it holds ("1/6", "3/6"), in order; empty
  // for any other run.
  std::vector<std::string> shards;
  // --numbers: the number records kept per pair (kAllNumbers for all); no
  // value in a record written before the run kept it.
  std::optional<std::size_t> numbersCap;
  // --lookahead: the lines the alignment looked ahead (1: the program's
  // rules, also for a record that does not say).
  int lookahead = 1;
  std::string date;  // when the run started, ISO 8601 UTC
  double seconds = 0;
  std::vector<PairResult> pairs;  // in sorted name order
};

Totals totalsOf(const SuiteRun& run);

// True for a missing pair whose file is only in the candidate, or only in
// the baseline.
bool onlyInCandidate(const PairResult& pair);
bool onlyInBaseline(const PairResult& pair);

// "same", "different", "missing", "error".
const char* statusName(PairStatus status);
// The status of a name statusName gives; false for any other text.
bool parseStatus(std::string_view name, PairStatus* status);

// The suite's exit status for these totals: 2 when any pair is an error,
// else 1 when any is different or missing (not counting those `allowed`),
// else 0.
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
// the longest time (shards run side by side), the earliest start and the
// smaller of the records' --numbers and `numbersCap` (none when the records
// do not say). Every shard K/N for K
// from 1 to N must be there exactly once, all with the same version,
// switches, baseline, candidate and --numbers; else returns false with
// `error` set to one line that names what is missing or differs. With
// `allowPartial`, missing shards are no error: the run then lists the
// shards it holds in `shards` (and in `shard`, "1/6,3/6"). A partial run
// merges again like the shards it holds.
bool mergeRuns(std::vector<SuiteRun> runs, bool allowPartial,
               std::size_t numbersCap, SuiteRun* merged, std::string* error);

// "partial: 2 of 6 shards" for a partial merge, else "".
std::string partialText(const SuiteRun& run);

}  // namespace suite
