// zudiz-suite: compares whole suites of report pairs. See app.h.
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "host/system.h"
#include "suite/app.h"
#include "suite/options.h"
#include "zudiz/zudiz.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  int cores = static_cast<int>(std::thread::hardware_concurrency());
  suite::ParsedCommandLine parsed = suite::parseOptions(args, cores);
  std::fputs(parsed.output.c_str(), stdout);
  std::fputs(parsed.errors.c_str(), stderr);
  if (!parsed.run) {
    return parsed.status;
  }
  installStopHandlers();
  suite::SuiteEnvironment env;
  env.progress = stderrIsTerminal();
  // The library keeps the number records the reports show (--numbers).
  zudiz::CompareOptions compareOptions;
  compareOptions.maxNumbers = parsed.options.numbersCap;
  compareOptions.lookahead = parsed.options.lookahead;
  env.compare = [compareOptions](const std::string& baseline,
                                 const std::string& candidate,
                                 const std::string& switches) {
    return zudiz::compareFiles(baseline, candidate, switches, compareOptions);
  };
  env.stopRequested = stopRequested;
  return suite::runSuite(parsed.options, env);
}
