// Printing the pending difference as a pair of labelled, numbered lines
// under the listing heading, with the cap on the number of pairs.
// Reads RunState::pending, settings.maxPairs and the labels; counts
// values.pairsListed. Called by the alignment and the page loop.
#pragma once

#include <optional>

#include "core/side.h"

struct RunState;

// Prints the pending pair (or, once, the "*** More than " notice when the cap
// is passed) and empties the pending difference. `extra` is the file whose
// text is extra, marked " + ", or none for a pair of changed texts.
// Nothing happens when nothing is pending. In word mode each column is
// printed as a pair of its own.
void listDifference(RunState& run, std::optional<Side> extra);
