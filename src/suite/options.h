// The suite's command line: what to compare, how, and which reports to
// write. Parsed once by the suite's main; --help and --version are answered
// here.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "suite/results.h"

namespace suite {

enum class SuiteMode { kFolders, kList, kMerge, kAccept };

struct SuiteOptions {
  SuiteMode mode = SuiteMode::kFolders;
  std::vector<std::string> paths;  // BASELINE CANDIDATE, or the JSON results
  std::string pairList;            // --pairs
  std::vector<std::string> globs;  // --glob, any of them
  std::string switches;            // --switches
  std::string rulesFile;           // --rules
  std::vector<std::string> switchesFor;  // --switches-for, PATTERN=SWITCHES
  bool allowAdded = false;               // --allow-added
  int jobs = 1;                          // -j, --jobs
  // Report targets, "" for none; "-" writes that report to standard output
  // (at most one may) and the console lines to standard error.
  std::string json, junit, html, markdown;
  int shardIndex = 1, shardCount = 1;
  bool verbose = false, quiet = false;
  bool allowEmpty = false;       // --allow-empty: no pairs is no error
  bool allowPartial = false;     // --allow-partial: merge what shards are there
  std::size_t numbersCap = 100;  // --numbers; kAllNumbers for "all"
  int lookahead = 1;             // --lookahead, 1 to zudiz::kMaxLookahead
  // --accept RESULT.json and what goes with it.
  std::string acceptResult;
  std::vector<std::string> only;  // --only, any of them
  bool dryRun = false, removeGone = false;
};

// What parseOptions decided.
struct ParsedCommandLine {
  bool run = false;    // true: run with `options`; false: end with `status`
  int status = 0;      // 0 after --help or --version, 2 on a usage error
  std::string output;  // for standard output (help, version)
  std::string errors;  // for standard error, as "zudiz-suite: message" lines
  SuiteOptions options;
};

// Looks up an environment variable; nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// Reads the command line (`args[0]` is the program). `cores` is the default
// for --jobs; `environment` gives the scheduler's variables for
// `--shard auto` (the process environment unless a test sets it).
ParsedCommandLine parseOptions(const std::vector<std::string>& args, int cores,
                               const EnvironmentLookup& environment = {});

// The shard of `--shard auto` or `--shard auto/N` (`shardText`) from the
// variables of GitLab CI (CI_NODE_INDEX, CI_NODE_TOTAL), a Slurm job array
// (SLURM_ARRAY_TASK_ID, SLURM_ARRAY_TASK_MIN, SLURM_ARRAY_TASK_COUNT and
// SLURM_ARRAY_TASK_STEP when set) or a Kubernetes Indexed Job
// (JOB_COMPLETION_INDEX, counted from 0, with N from the text), looked up in
// that order. Returns false with `error` set when none is set, a value is not
// a number or the shard is out of range.
bool shardFromEnvironment(const std::string& shardText,
                          const EnvironmentLookup& environment, int* index,
                          int* count, std::string* error);

}  // namespace suite
