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
  // Report targets, "" for none; "-" writes that report to standard output
  // (at most one may) and the console lines to standard error.
  std::string json, junit, html, markdown;
  int shardIndex = 1, shardCount = 1;
  bool verbose = false, quiet = false;
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
