// The two files of a run. File one is the first named on the command line,
// file two the second; the listing, the summary and the library's records
// still call them 1 and 2 (fileNumber). Everything kept once per file is a
// BySide, read with a Side, so that no code maps numbers to indexes.
#pragma once

#include <array>
#include <cstddef>

enum class Side : unsigned char { kOne, kTwo };

// Both sides, file one first, for loops over the two files.
inline constexpr std::array<Side, 2> kBothSides = {Side::kOne, Side::kTwo};

inline constexpr Side otherSide(Side side) {
  return side == Side::kOne ? Side::kTwo : Side::kOne;
}

// The number the program shows for the file: 1 or 2.
inline constexpr int fileNumber(Side side) {
  return side == Side::kOne ? 1 : 2;
}

// One T per file, read with a Side.
template <class T>
struct BySide {
  std::array<T, 2> items{};

  T& operator[](Side side) { return items[static_cast<std::size_t>(side)]; }
  const T& operator[](Side side) const {
    return items[static_cast<std::size_t>(side)];
  }
  bool operator==(const BySide&) const = default;

  auto begin() { return items.begin(); }
  auto end() { return items.end(); }
  auto begin() const { return items.begin(); }
  auto end() const { return items.end(); }
};
