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

// Where a word of a pending text was read, kept only while a collector is
// attached (RunState::records), so that it can show the word in its line.
struct WordSpot {
  std::uint16_t column = 0;  // where the word starts in the pending text
  std::uint16_t length = 0;  // its bytes in the text (cut at the capacity)
  std::uint32_t line = 0;    // the line it stands on, from 1
  std::uint32_t inLine = 0;  // its first byte, counted from its line's start
};

// Each word takes a byte and the blank after it, so a text holds at most
// this many.
inline constexpr std::size_t kMaxWordSpots = (kDiffTextCapacity + 1) / 2;

struct WordSpots {
  std::array<WordSpot, kMaxWordSpots> spots{};
  std::uint32_t count = 0;
};

// Two sets of texts, line numbers and word spots, the pending one and the
// saved one;
// `pendingSet` says which is which, so that exchanging them moves no text.
struct PendingDiff {
  std::array<BySide<DiffText>, 2> texts;
  std::array<BySide<std::uint32_t>, 2> lines{};
  std::array<BySide<WordSpots>, 2> words;
  int pendingSet = 0;

  // Text, line number and word spots of file `side` in the pending set.
  DiffText& diffText(Side side) { return texts[pendingSet][side]; }
  const DiffText& diffText(Side side) const { return texts[pendingSet][side]; }
  std::uint32_t& diffLine(Side side) { return lines[pendingSet][side]; }
  std::uint32_t diffLine(Side side) const { return lines[pendingSet][side]; }
  WordSpots& wordSpots(Side side) { return words[pendingSet][side]; }
  const WordSpots& wordSpots(Side side) const {
    return words[pendingSet][side];
  }
};
