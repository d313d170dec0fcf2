// The results model of a suite run: one record per report pair and the
// facts of the run. The runner fills it; every exporter (console, JSON,
// JUnit, HTML) is a pure function of it, and --merge reads JSON results back
// into it, so every report can be made from shards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zudiz/zudiz.h"

namespace suite {

enum class PairStatus { kSame, kDifferent, kMissing, kError };

struct PairResult {
  std::string name;       // relative path (folder mode) or the list line's first path
  std::string baseline;   // path of the baseline file ("" when it is missing)
  std::string candidate;  // path of the candidate file ("" when it is missing)
  std::string switches;   // this pair's own switches (list mode), after the global ones
  PairStatus status = PairStatus::kError;
  std::string message;    // missing / error: what happened, one line
  double seconds = 0;
  zudiz::Result result;   // the comparison (counts, listing, numbers, output)
  std::int64_t bytes = 0; // bytes of both files read
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
  std::string date;       // when the run started, ISO 8601 UTC
  double seconds = 0;
  std::vector<PairResult> pairs;  // in sorted name order
};

Totals totalsOf(const SuiteRun& run);

// "same", "different", "missing", "error".
const char* statusName(PairStatus status);

}  // namespace suite
