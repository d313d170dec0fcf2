#include "cmdline/usage.h"

#include <cstring>

#include "core/run_state.h"

namespace {

// The identification line, the first line of the usage text.
void printVersion(RunState& run) {
  run.out.text(
      "ZUDIZ 1.0 - Compares two VAV report files - Copyright (c) 2026 the "
      "ZUDIZ authors");
  run.out.endLine();
}

}  // namespace

void printUsage(RunState& run) {
  Output& out = run.out;
  printVersion(run);
  out.text("Syntax:   ZUDIZ file1 file2 [/All] [/Verbose:n]");
  out.endLine();
  out.text("Switches: /All = show tiny differences");
  out.text("   /Verbose:n = max n pairs (default=100)");
  out.endLine();
}

void answerHelpOption(RunState& run, std::string_view word) {
  const bool version = word == "--version";
  if (!run.host.acceptsHelpOptions() ||
      !(version || word == "--help" || word == "-h")) {
    return;
  }
  char name[16];
  std::memcpy(name, word.data(), word.size());
  name[word.size()] = '\0';
  if (run.host.isExistingFile(name)) {
    return;  // a report file of that name is compared as ever
  }
  if (version) {
    printVersion(run);
  } else {
    printUsage(run);
  }
  endRun(run);
}

void fatalError(RunState& run, std::string_view text) {
  run.values.fatalMessage.assign(text);
  run.out.text("*** ");
  run.out.text(text);
  run.out.endLine();
  endRun(run);
}
