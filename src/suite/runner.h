// Runs the planned pairs of a suite on worker threads. Workers take pairs in
// plan order from a shared counter and put each result in its own slot; the
// calling thread hands finished results on in plan order, so what is printed
// and exported does not depend on the number of workers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "suite/pairing.h"
#include "suite/results.h"

namespace suite {

// How far a run has come, for the progress line.
struct Progress {
  std::int64_t pairsDone = 0, pairsTotal = 0;
  std::int64_t bytesDone = 0, bytesTotal = 0;
  double seconds = 0;  // since the run started
};

struct RunnerSettings {
  int jobs = 1;                          // worker threads (at least 1)
  std::size_t numbersCap = kAllNumbers;  // number records kept per pair
  double progressInterval = 0.1;         // seconds between progress calls
  // Keep every finished pair in RunnerOutcome::rows; without it a pair is
  // dropped once `finished` has seen it, so memory does not grow with the
  // suite.
  bool keepRows = true;
};

struct RunnerHooks {
  // Compares one pair (called on a worker thread, many at once).
  std::function<zudiz::Result(const PairResult& row)> compare;
  // Each finished pair, in plan order, on the calling thread.
  std::function<void(const PairResult& row)> finished;
  // Now and then while pairs run, and once at the end, on the calling thread.
  std::function<void(const Progress& progress)> progress;
  // Polled between pairs: when it returns true, no new pair is started.
  std::function<bool()> stopRequested;
};

struct RunnerOutcome {
  std::vector<PairResult> rows;  // the pairs that ran, in plan order (keepRows)
  std::size_t pairsRun = 0;      // how many pairs were handed to `finished`
  bool stopped = false;          // stopRequested ended the run early
};

// Runs every plan (those not to be compared pass through as they are) and
// returns the results. After a stop, `rows` holds every pair started before
// it, which are the first ones of the plan.
RunnerOutcome runPairs(const PlanList& plans, const RunnerSettings& settings,
                       const RunnerHooks& hooks);

}  // namespace suite
