// The program's entry point: the process start-up, then one run state on the
// stack, run to its end.
#include "core/run_state.h"
#include "driver/run.h"
#include "host/host.h"
#include "host/paths.h"
#include "host/startup_services.h"

int main(int argc, char** argv) {
  setProcessArguments(argc, argv);
  Host& host = defaultHost();
  // Start-up steps that change the process (console and code page, the
  // out-of-memory handler, a network current directory moved to its drive
  // letter) belong to the program alone, never to a library run.
  host.setUpConsole();
  moveToMappedDrive(defaultStartupServices());
  RunState run{host};
  runProgram(run);
}
