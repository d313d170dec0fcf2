#include "driver/run.h"

#include "cmdline/usage.h"
#include "driver/run_state.h"

void runProgram(RunState& run) {
  run.host.setUpConsole();
  setDefaults(run);
  printUsage(run);
  endRun(run);
}
