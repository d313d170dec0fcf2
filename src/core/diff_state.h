// The pending difference: the differing words of the pair about to be
// listed, one text per file padded into common columns, with the line number
// of each file, and a saved copy used by the alignment's trials. The
// operations are in pending_diff.h and listing.h.
#pragma once

#include <array>
#include <cstdint>

#include "core/fixed_text.h"

// A pending text holds at most this many characters.
inline constexpr std::size_t kDiffTextCapacity = 255;

using DiffText = FixedText<kDiffTextCapacity>;

// Two sets of texts and line numbers, the pending one and the saved one;
// `pendingSet` says which is which, so that exchanging them moves no text.
struct PendingDiff {
  std::array<std::array<DiffText, 2>, 2> texts;
  std::array<std::array<std::uint32_t, 2>, 2> lines{};
  int pendingSet = 0;

  // Text and line number of file index `i` (0 or 1) in the pending set.
  DiffText& diffText(int i) { return texts[pendingSet][i]; }
  const DiffText& diffText(int i) const { return texts[pendingSet][i]; }
  std::uint32_t& diffLine(int i) { return lines[pendingSet][i]; }
  std::uint32_t diffLine(int i) const { return lines[pendingSet][i]; }
};
