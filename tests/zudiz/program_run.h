// The program's own output for two texts, from a whole run in-process on a
// FakeHost: the bytes a library call on the same texts must give.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/run_state.h"
#include "driver/run.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

// Runs "ZUDIZ <label1> <label2> <switches>" (an empty label left out) with
// the texts as the files of those names.
inline std::string programOutput(std::string_view text1, std::string_view text2,
                                 std::string_view switches,
                                 std::string_view label1 = "ONE",
                                 std::string_view label2 = "TWO") {
  FakeHost host;
  host.commandLineText = "ZUDIZ";
  for (std::string_view label : {label1, label2}) {
    if (!label.empty()) {
      host.commandLineText += ' ';
      host.commandLineText += label;
    }
  }
  host.commandLineText += ' ';
  host.commandLineText += switches;
  host.addFile(std::string(label1), std::string(text1));
  if (label2 != label1) {
    host.addFile(std::string(label2), std::string(text2));
  }
  auto run = std::make_unique<RunState>(host);
  return runAndCatch(host, [&] { runProgram(*run); });
}
