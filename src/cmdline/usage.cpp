#include "cmdline/usage.h"

#include "core/run_state.h"

void printUsage(RunState& run) {
  Output& out = run.out;
  out.text(
      "ZUDIZ 1.0 - Compares two VAV report files - Copyright (c) 2026 the "
      "ZUDIZ authors");
  out.endLine();
  out.text("Syntax:   ZUDIZ file1 file2 [/All] [/Verbose:n]");
  out.endLine();
  out.text("Switches: /All = show tiny differences");
  out.text("   /Verbose:n = max n pairs (default=100)");
  out.endLine();
}

void fatalError(RunState& run, std::string_view text) {
  run.values.fatalMessage.assign(text);
  run.out.text("*** ");
  run.out.text(text);
  run.out.endLine();
  endRun(run);
}
