#include <gtest/gtest.h>

#include "core/run_state.h"
#include "support/fake_host.h"

TEST(Settings, DefaultsAreTheDocumentedOnes) {
  FakeHost host;
  RunState run{host};
  run.settings.wordMode = true;
  run.settings.skipHead = 9;
  run.values.labelWidth = 12;
  run.files[Side::kOne].fileName.assign("OLD");
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
  EXPECT_TRUE(run.files[Side::kOne].fileName.empty());
}

TEST(Settings, CountersSaturateInsteadOfWrapping) {
  std::int32_t c = INT32_MAX - 1;
  bump(c);
  EXPECT_EQ(INT32_MAX, c);
  bump(c);
  EXPECT_EQ(INT32_MAX, c);
}
