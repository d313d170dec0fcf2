// The program's entry point: one run state on the stack, run to its end.
#include "core/run_state.h"
#include "driver/run.h"
#include "host/host.h"

int main(int argc, char** argv) {
  setProcessArguments(argc, argv);
  RunState run{defaultHost()};
  runProgram(run);
}
