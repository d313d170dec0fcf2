// The suite's command line: what to compare, how, and which reports to
// write. Parsed once by the suite's main; --help and --version are answered
// here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "suite/results.h"

namespace suite {

enum class SuiteMode { kFolders, kList, kMerge };

struct SuiteOptions {
  SuiteMode mode = SuiteMode::kFolders;
  std::vector<std::string> paths;  // BASELINE CANDIDATE, or the JSON results
  std::string pairList;            // --pairs
  std::vector<std::string> globs;  // --glob, any of them
  std::string switches;            // --switches
  int jobs = 1;                    // -j, --jobs
  std::string json, junit, html;   // report targets, "" for none
  int shardIndex = 1, shardCount = 1;
  bool verbose = false, quiet = false;
  bool allowEmpty = false;       // --allow-empty: no pairs is no error
  bool allowPartial = false;     // --allow-partial: merge what shards are there
  std::size_t numbersCap = 100;  // --numbers; kAllNumbers for "all"
};

// What parseOptions decided.
struct ParsedCommandLine {
  bool run = false;    // true: run with `options`; false: end with `status`
  int status = 0;      // 0 after --help or --version, 2 on a usage error
  std::string output;  // for standard output (help, version)
  std::string errors;  // for standard error, as "zudiz-suite: message" lines
  SuiteOptions options;
};

// Reads the command line (`args[0]` is the program). `cores` is the default
// for --jobs.
ParsedCommandLine parseOptions(const std::vector<std::string>& args, int cores);

}  // namespace suite
