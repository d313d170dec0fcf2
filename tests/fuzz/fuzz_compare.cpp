// Fuzz target: one input is split into extra command-line text and two report
// files, and a whole run of the program is made in-process on a FakeHost.
// Every run ends through the host's exit hook (a FatalExit exception), the
// normal end and the fatal messages alike; anything else is a finding.
//
// Input layout: the bytes up to the first LF are added to the command line
// after "ZUDIZ ONE TWO "; the rest is split at the first "\n====\n" into the
// files ONE and TWO (at its middle when there is no such separator).
#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>

#include "driver/run.h"
#include "driver/run_state.h"
#include "support/fake_host.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t lineEnd = input.find('\n');
  std::string_view words;
  if (lineEnd != std::string_view::npos && lineEnd <= 512) {
    words = input.substr(0, lineEnd);
    input.remove_prefix(lineEnd + 1);
  }
  std::string_view one;
  std::string_view two;
  constexpr std::string_view kSeparator = "\n====\n";
  std::size_t split = input.find(kSeparator);
  if (split != std::string_view::npos) {
    one = input.substr(0, split);
    two = input.substr(split + kSeparator.size());
  } else {
    one = input.substr(0, input.size() / 2);
    two = input.substr(input.size() / 2);
  }

  FakeHost host;
  host.commandLineText = "ZUDIZ ONE TWO ";
  host.commandLineText.append(words);
  host.addFile("ONE", std::string(one));
  host.addFile("TWO", std::string(two));
  // A fresh run state each time, built in static storage: a heap block of
  // this size would be mapped and unmapped on every run.
  alignas(RunState) static unsigned char storage[sizeof(RunState)];
  RunState* run = new (storage) RunState(host);
  try {
    runProgram(*run);
  } catch (const FatalExit& exit) {
    run->~RunState();
    if (exit.status != 9) {
      __builtin_trap();
    }
    return 0;
  }
  __builtin_trap();  // a run must always end through the exit hook
}
