// Runs compareFiles over two in-memory report files the way the driver sets
// it up, for the tests of the page loop and the alignment.
#pragma once

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "compare/file_loop.h"
#include "core/run_state.h"
#include "listing/pending_diff.h"
#include "reader/page_buffer.h"
#include "reader/token_reader.h"
#include "support/count_new.h"
#include "support/fake_host.h"
#include "support/run_and_catch.h"

// One comparison run: set the settings, then call compare().
struct CompareRun {
  FakeHost host;
  RunState run{host};
  int status = 0;  // -1 when compareFiles returned, 9 when the run ended
  std::uint64_t newCalls = 0;  // operator new calls made by compareFiles

  CompareRun() { setDefaults(run); }

  // Opens both texts as files ONE and TWO, resets readers, counters, marks
  // and the pending difference, fills both buffers and calls compareFiles.
  // Returns the listing with each CR LF shown as "\n". newCalls counts the
  // allocations made inside compareFiles; any at all fails the test.
  std::string compare(const std::string& one, const std::string& two) {
    open(one, two);
    // Room for the listing, so that handing it to the host allocates nothing.
    host.output.reserve(std::size_t{1} << 20);
    std::string raw = runAndCatch(
        host,
        [&] {
          const std::uint64_t before = newCallCount();
          compareFiles(run);
          newCalls = newCallCount() - before;
          run.out.flush();
        },
        &status);
    // Comparing allocates nothing, in every test that compares.
    EXPECT_EQ(0u, newCalls) << "operator new called while comparing";
    return shown(raw);
  }

  // The set-up of compare(), without compareFiles.
  void open(const std::string& one, const std::string& two) {
    host.addFile("ONE", one);
    host.addFile("TWO", two);
    const BySide<const char*> labels{{"ONE", "TWO"}};
    for (const Side side : kBothSides) {
      run.files[side].fileLabel.assign(labels[side]);
      run.files[side].fileHandle =
          host.openForReading(labels[side], labels[side]);
      resetReader(run, side);
    }
    run.values.labelWidth = 3;
    startComparison(run);
  }

  static std::string shown(const std::string& raw) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
        continue;
      }
      text += raw[i];
    }
    return text;
  }
};

// The listing heading for labels of width 3, as shown().
inline const char kHeading[] = "\nFILE LINE   DIFFERENCES\n";

// The expected listing: nothing, or the heading and `pairs`.
inline std::string listingOf(const std::string& pairs) {
  return pairs.empty() ? std::string() : kHeading + pairs;
}
