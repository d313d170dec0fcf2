// The comparison proper: both files page by page, each page trimmed of its
// head, leading blank lines and foot, its body aligned step by step; a page
// that ends first flows into its next page (noPage), a one-sided rest is
// listed, and the surplus of the longer file is counted in extraCount.
// Called once by the driver.
#pragma once

#include "core/side.h"

struct RunState;

// Compares the two open files to their ends. Requires both readers reset and
// filled once.
void compareFiles(RunState& run);

// Compares the current page of file 1 with that of file 2; returns with both
// files moved past a page end (an exhausted file stays on its final one).
void comparePagePair(RunState& run);

// Trims the head, leading blank lines and foot of the current page of file
// `side`; leaves it on the first token of the body or on the page end.
void preparePage(RunState& run, Side side);
