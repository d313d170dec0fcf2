// The suite's main sequence: check the switches, open the reports, plan the
// pairs, run them, print and write the results. main() parses the command
// line and hands over here.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "suite/options.h"
#include "zudiz/zudiz.h"

namespace suite {

// Where the suite reads and writes outside its reports.
struct SuiteEnvironment {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  bool progress = false;  // draw the progress line on `err`
  // Compares two files (the library's compareFiles unless a test sets it).
  std::function<zudiz::Result(const std::string& baseline,
                              const std::string& candidate,
                              const std::string& switches)>
      compare;
  // Polled between pairs; true stops the run (Ctrl-C).
  std::function<bool()> stopRequested;
};

// Runs the suite the options describe and returns the exit status: 0 every
// pair same, 1 any different or missing, 2 any error or a usage error, 130
// when stopped. Prints usage and run errors as "zudiz-suite: message" lines
// on `env.err`.
int runSuite(const SuiteOptions& options, const SuiteEnvironment& env);

}  // namespace suite
