#include <cstdlib>

#include "core/run_state.h"

void setDefaults(RunState& run) {
  for (FileSlot& slot : run.files) {
    slot.fileName.clear();
    slot.typedName.clear();
    slot.wholeName = nullptr;
  }
  run.settings = Settings{};
  run.values = RunValues{};
}

void clearCounters(RunState& run) {
  run.counters = Counters{};
}

void endRun(RunState& run) {
  run.out.flush();
  run.host.exitProcess(9);
  std::abort();
}
