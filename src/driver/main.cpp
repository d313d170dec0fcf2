// The program's entry point: one run state on the stack, run to its end.
#include "driver/run.h"
#include "driver/run_state.h"
#include "host/host.h"

int main(int argc, char** argv) {
  setProcessArguments(argc, argv);
  RunState run{defaultHost()};
  runProgram(run);
}
