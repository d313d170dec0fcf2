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

struct PendingDiff {
  std::array<DiffText, 2> diffText;
  std::array<std::uint32_t, 2> diffLine{};
  std::array<DiffText, 2> savedDiffText;
  std::array<std::uint32_t, 2> savedDiffLine{};
};
