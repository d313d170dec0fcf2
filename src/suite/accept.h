// --accept: makes the candidate reports of a reviewed run the new baseline.
// Reads nothing but the run's JSON result and the files it names, and
// writes nothing but the baseline files it names: each copied whole into a
// temporary file beside it and renamed into place, so that every baseline
// file is either as it was or the candidate's, whatever ends the process.
// Called by the suite's main for `zudiz-suite --accept RESULT.json`.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "suite/results.h"

namespace suite {

struct AcceptSettings {
  std::vector<std::string> only;  // --only: patterns as --glob takes them
  bool dryRun = false;            // print what would change, change nothing
  bool removeGone = false;        // also remove only-in-baseline files
};

struct AcceptEnvironment {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Polled before each file; true stops after the files already done.
  std::function<bool()> stopRequested;
};

// Accepts the pairs of `run` (read from `resultPath`) that are different or
// only in the candidate (and only in the baseline with removeGone) and match
// `settings.only`: copies each candidate over its baseline, keeping the
// baseline's file mode (a new file takes the candidate's), making folders
// as needed, or removes the baseline. Prints `accepted  NAME` or `removed
// NAME` per file as it is done, then a closing line.
//
// Before changing anything it checks every chosen file: each must still
// have the size and modification time the run recorded, a folder result's
// pair names must stay inside the baseline folder (no "..", no absolute
// name, no symbolic link on the way), a list result's baseline paths must be
// ones the list names, and no baseline path may be a symbolic link. Any
// problem: every one is printed, nothing is changed, status 2. A failure or
// a stop part way: the files done so far are the ones printed, the others
// are untouched; status 2, or 130 when stopped. Otherwise 0.
int acceptRun(const SuiteRun& run, const AcceptSettings& settings,
              const AcceptEnvironment& env);

}  // namespace suite
