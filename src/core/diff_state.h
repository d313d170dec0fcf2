// The pending difference: the differing words of the pair about to be
// listed, one text per file padded into common columns, with the line number
// of each file, and a saved copy used by the alignment's trials. The
// operations are in pending_diff.h and listing.h.
#pragma once

#include <array>
#include <cstdint>

#include "core/fixed_text.h"
#include "core/side.h"

// A pending text holds at most this many characters.
inline constexpr std::size_t kDiffTextCapacity = 255;

using DiffText = FixedText<kDiffTextCapacity>;

// Two sets of texts and line numbers, the pending one and the saved one;
// `pendingSet` says which is which, so that exchanging them moves no text.
struct PendingDiff {
  std::array<BySide<DiffText>, 2> texts;
  std::array<BySide<std::uint32_t>, 2> lines{};
  int pendingSet = 0;

  // Text and line number of file `side` in the pending set.
  DiffText& diffText(Side side) { return texts[pendingSet][side]; }
  const DiffText& diffText(Side side) const { return texts[pendingSet][side]; }
  std::uint32_t& diffLine(Side side) { return lines[pendingSet][side]; }
  std::uint32_t diffLine(Side side) const { return lines[pendingSet][side]; }
};
