// What the suite prints for people: one line per pair that is not the same,
// the closing line, a pair's listing and the progress line. Pure functions
// of the results model; the suite's main decides where each goes.
#pragma once

#include <string>
#include <string_view>

#include "suite/results.h"
#include "suite/runner.h"

namespace suite {

// The console line of a pair, without a line end; "" for a same pair:
//   different  sub/run12.rpt  3 lines, 8 words, 1 number (2 excused)
//   missing    only in candidate: new.rpt
//   error      bad.rpt: Page too large to fit in buffer
std::string pairLine(const PairResult& pair);

// The closing line, without a line end:
//   52 pairs: 40 same, 9 different, 2 missing, 1 error in 1.23 s
std::string closingLine(const Totals& totals, double seconds);

// The program's output of a pair with its CR LF line ends made "\n", and
// ending in one.
std::string listingText(std::string_view output);

// A byte count as people read it: "812 B", "1.4 kB", "23.0 MB", "1.20 GB".
std::string formatBytes(double bytes);

// The progress line, without a line end:
//   12/52 pairs  1.20 GB read  85.3 MB/s  0:12 left
std::string progressLine(const Progress& progress);

}  // namespace suite
