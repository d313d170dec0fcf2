// The run-wide settings record that the switches fill, the run values that no
// switch sets, the two file slots and the seven difference counters. All of
// it lives in RunState (run_state.h); setDefaults and clearCounters put it in
// its starting state.
#pragma once

#include <array>
#include <cstdint>

#include "core/fixed_text.h"
#include "host/host.h"

inline constexpr std::size_t kNameCapacity = 256;
inline constexpr std::size_t kLabelCapacity = 16;
// The cap on listed pairs by default and for /VERBOSE without a number.
inline constexpr std::int32_t kDefaultMaxPairs = 100;
// The most lines the alignment looks ahead for a block of extra lines.
inline constexpr std::int32_t kMaxLookahead = 50;

struct Settings {
  bool wordMode = false;  // compare streams of words, not lines
  bool showAll = false;   // list tiny and last-place differences too
  // Numbers within the tolerance are equal. It is held in units of the
  // rounded numbers (ten-thousandths): a difference of at most ignoreUnits
  // units, or with ignoreRelative at most ignoreUnits / 10000 percent of the
  // mean magnitude. The default lets only equal numbers pass.
  bool ignoreRelative = false;
  std::uint32_t ignoreUnits = 0;
  bool noPage = true;    // a page that ends first flows into its next page
  bool skipPlot = true;  // drop plot sections, codes and hidden lines
  std::int32_t skipHead = 2;
  std::int32_t skipFoot = 0;
  std::int32_t maxPairs = kDefaultMaxPairs;
  // How many lines ahead the alignment looks for the place where a block of
  // extra lines ends (compare/lookahead.h), 1 to kMaxLookahead. The program
  // keeps 1, the one-line look-ahead of its rules; no switch sets it, only
  // a library caller does, before the comparison starts.
  std::int32_t lookahead = 1;
};

// The settings are read once from the switches and never changed afterwards;
// what a run changes lives in RunValues.
struct RunValues {
  // Further head lines, measured once on the first page trimmed (-1 until
  // then); every page drops skipHead of them too (headLines in
  // run_state.h).
  std::int32_t extraHeadLines = -1;
  std::int32_t pairsListed = 0;
  std::uint32_t labelWidth = 3;
  // Whether the engine takes its shortcuts: runs of equal lines and
  // repeated pages passed in one step, trials told from the buffers, words
  // and lines read from the buffers without a refill, the word cache and
  // the fill put off at a page end. Each gives the result of the plain steps
  // it replaces; with this off the engine runs the plain steps, token by
  // token, and the tests hold the two against each other. No switch sets it.
  bool shortcuts = true;
  // Set while a page's head and foot lines are trimmed, which reads lines
  // in word mode too (readsWords in run_state.h).
  bool trimmingPage = false;
  // The text of the fatal message that ended the run, for a caller that runs
  // the comparison as a library; empty otherwise.
  FixedText<kNameCapacity> fatalMessage;
};

struct FileSlot {
  FixedText<kNameCapacity> fileName;   // as typed, upper-cased
  FixedText<kNameCapacity> typedName;  // as typed, letter case kept
  // The name as typed, whole, where it is longer than typedName holds:
  // zero-terminated and kept by whoever handed it over (the host's words,
  // the library's caller) for the whole run; null otherwise. The file is
  // opened by this name; fileName, cut, is what the program shows.
  const char* wholeName = nullptr;
  FixedText<kLabelCapacity> fileLabel;
  FileHandle fileHandle = kNoFile;
};

// The four word-level counters; the checkpoints keep copies of them.
struct WordCounts {
  std::int32_t wordDiffCount = 0;
  std::int32_t numericDiffCount = 0;
  std::int32_t lastDigitCount = 0;
  std::int32_t tinyDiffCount = 0;
  // Unequal number pairs recorded; counted only while a collector is
  // attached (core/records.h).
  std::int64_t numbersMet = 0;

  bool operator==(const WordCounts&) const = default;
};

struct Counters {
  std::int32_t extraCount = 0;
  std::int32_t linesCompared = 0;
  std::int32_t linesDiffered = 0;
  WordCounts words;  // wordDiffCount, numericDiffCount, lastDigit, tiny

  bool operator==(const Counters&) const = default;
};

// Adds one to a counter; a counter that reached the largest 32-bit value
// stays there instead of wrapping.
inline void bump(std::int32_t& counter) {
  if (counter < INT32_MAX) {
    ++counter;
  }
}
