// The pair view of the suite's HTML report: a different or failed pair's
// listed pairs in their whole lines (baseline above candidate, the listed
// words marked where the comparison read them, numeric ones with their
// relative difference and verdict), then its program output as printed, one
// click away, its listed pairs of lines marked with their columns and number
// records for the page's script. A pair without listed pairs (an error)
// shows its output at once.
#pragma once

#include <cstddef>
#include <string>

#include "zudiz/zudiz.h"

namespace suite::html {

// How many listed pairs each pair shows in their whole lines when `listings`
// pairs of the run have a listing: the listing as printed shows them all,
// so a suite that differs everywhere keeps its page small and quick to load.
std::size_t changesPerPair(std::size_t listings);

// Appends the view of one pair's result: its first `changes` listed pairs
// in context, then its output as printed, folded. `maxNumbers` caps the number
// records the hover details keep.
void appendPairView(std::string& out, const zudiz::Result& result,
                    std::size_t maxNumbers, std::size_t changes);

}  // namespace suite::html
