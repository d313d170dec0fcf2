#include "core/output.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "core/run_state.h"
#include "support/fake_host.h"

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
