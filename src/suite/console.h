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

// A relative difference as a percentage with three significant digits:
// "37.5 %", "0.0494 %", "0 %".
std::string percentText(double relative);

// Where a listed pair stands, in the words of the suite:
//   baseline page 2, line 10; candidate page 2, line 10
// A side without a line says so ("candidate: no line").
std::string changePlace(const zudiz::ListedPair& listed);

// A listed pair as plain text lines of report bytes, each ending in "\n":
// the context lines (indented two blanks; once when both sides have the
// same), then the baseline line after "- " and the candidate line after
// "+ ", as a unified diff shows them. A side without a line has none. A
// line that only one file has (`extra`) shows after its own context, with
// the line both files go on with after it.
std::string changeLines(const zudiz::ListedPair& listed);

// A byte count as people read it: "812 B", "1.4 kB", "23.0 MB", "1.20 GB".
std::string formatBytes(double bytes);

// The progress line, without a line end:
//   12/52 pairs  1.20 GB read  85.3 MB/s  0:12 left
std::string progressLine(const Progress& progress);

}  // namespace suite
