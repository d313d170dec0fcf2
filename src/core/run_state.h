// Everything one run of the program works on, in one object: the host, the
// settings and counters, both file slots and page readers, the checkpoints, the
// pending difference and the output writer. main() builds one on its stack;
// a test builds a fresh one around a FakeHost. Operations take the run and,
// where they act on one file, its Side.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>

#include "core/diff_state.h"
#include "core/output.h"
#include "core/reader_state.h"
#include "core/repeated_page.h"
#include "core/settings.h"
#include "core/side.h"
#include "core/word_cache.h"
#include "host/host.h"

class RunRecords;

struct RunState {
  explicit RunState(Host& h) : host(h), out(h) {}
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;

  Host& host;
  Output out;
  Settings settings;
  RunValues values;
  Counters counters;
  BySide<FileSlot> files;
  BySide<PageReader> readers;
  Checkpoints checkpoints;
  PendingDiff pending;
  WordCache wordCache;
  RepeatedPage repeatedPage;
  // The collector of listed pairs and number pairs, or none (core/records.h).
  RunRecords* records = nullptr;
};

inline PageReader& reader(RunState& run, Side side) {
  return run.readers[side];
}
inline ReaderPosition& position(RunState& run, Side side) {
  return run.readers[side].position;
}

// Whether the token reader passes over line ends: in word mode, except
// while a page's head and foot lines are trimmed.
inline bool readsWords(const RunState& run) {
  return run.settings.wordMode && !run.values.trimmingPage;
}

// The head lines every page drops: skipHead, and the block measured on the
// first page once it is measured.
inline std::int32_t headLines(const RunState& run) {
  const std::int64_t lines = std::int64_t{run.settings.skipHead} +
                             std::max(run.values.extraHeadLines, 0);
  return static_cast<std::int32_t>(std::min<std::int64_t>(lines, INT32_MAX));
}

// Every setting to its default, both file names empty, extraHeadLines -1,
// pairsListed 0 and labelWidth 3.
void setDefaults(RunState& run);

// All seven difference counters to 0.
void clearCounters(RunState& run);

// Flushes the output and ends the process with status 9, the status of every
// end of this program. Never returns (with a FakeHost it throws).
[[noreturn]] void endRun(RunState& run);
