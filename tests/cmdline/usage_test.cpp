#include "cmdline/usage.h"

#include <gtest/gtest.h>

#include "core/run_state.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

TEST(Usage, FatalErrorWritesOneLineAndEndsWithNine) {
  FakeHost host;
  RunState run{host};
  int status = 0;
  EXPECT_EQ("*** Too many files\r\n",
            runAndCatch(
                host, [&] { fatalError(run, "Too many files"); }, &status));
  EXPECT_EQ(9, status);
}

TEST(Usage, UsageTextIsThreeCrLfLines) {
  FakeHost host;
  RunState run{host};
  printUsage(run);
  run.out.flush();
  EXPECT_EQ(
      "ZUDIZ 1.0 - Compares two VAV report files - Copyright (c) 2026 the "
      "ZUDIZ authors\r\n"
      "Syntax:   ZUDIZ file1 file2 [/All] [/Verbose:n]\r\n"
      "Switches: /All = show tiny differences   /Verbose:n = max n pairs "
      "(default=100)\r\n",
      host.output);
}
