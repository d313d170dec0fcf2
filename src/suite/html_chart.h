// The chart of the suite's HTML report: every unequal number pair of the
// run by relative difference, as inline SVG drawn from the pairs'
// histograms, with its legend and the notes under it.
#pragma once

#include <cstddef>
#include <string>

#include "suite/results.h"

namespace suite::html {

// Appends the chart of `run`, its legend and notes; `maxNumbers` is the cap
// on each pair's kept number records that the notes mention when a pair met
// more.
void appendChart(std::string& out, const SuiteRun& run, std::size_t maxNumbers);

}  // namespace suite::html
