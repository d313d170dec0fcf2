#include <gtest/gtest.h>

#include "cmdline/usage.h"
#include "core/run_state.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

TEST(Settings, DefaultsAreTheDocumentedOnes) {
  FakeHost host;
  RunState run{host};
  run.settings.wordMode = true;
  run.settings.skipHead = 9;
  run.values.labelWidth = 12;
  run.files[0].fileName.assign("OLD");
  setDefaults(run);
  EXPECT_FALSE(run.settings.wordMode);
  EXPECT_FALSE(run.settings.showAll);
  EXPECT_FALSE(run.settings.ignoreRelative);
  EXPECT_EQ(0u, run.settings.ignoreUnits);
  EXPECT_TRUE(run.settings.noPage);
  EXPECT_TRUE(run.settings.skipPlot);
  EXPECT_EQ(2, run.settings.skipHead);
  EXPECT_EQ(0, run.settings.skipFoot);
  EXPECT_EQ(100, run.settings.maxPairs);
  EXPECT_EQ(-1, run.values.extraHeadLines);
  EXPECT_EQ(0, run.values.pairsListed);
  EXPECT_EQ(3u, run.values.labelWidth);
  EXPECT_TRUE(run.files[0].fileName.empty());
}

TEST(Settings, CountersSaturateInsteadOfWrapping) {
  std::int32_t c = INT32_MAX - 1;
  bump(c);
  EXPECT_EQ(INT32_MAX, c);
  bump(c);
  EXPECT_EQ(INT32_MAX, c);
}

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

TEST(Output, NumbersAreRightAlignedAndNeverCut) {
  FakeHost host;
  RunState run{host};
  run.out.number(412, 7);
  run.out.text("|");
  run.out.number(12345678, 7);
  run.out.text("|");
  run.out.number(-5, 3);
  run.out.text("|");
  run.out.number(INT64_MIN);
  run.out.endLine();
  run.out.flush();
  EXPECT_EQ("    412|12345678| -5|-9223372036854775808\r\n", host.output);
}

TEST(Output, LongOutputPassesThroughTheBufferIntact) {
  FakeHost host;
  RunState run{host};
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    run.out.text("abc");
    run.out.repeat(' ', static_cast<std::size_t>(i % 7));
    expected += "abc" + std::string(static_cast<std::size_t>(i % 7), ' ');
  }
  run.out.flush();
  EXPECT_EQ(expected, host.output);
}
