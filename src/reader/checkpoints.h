// Saving and restoring the checkpoints (core/reader_state.h): a comparison
// saves where both files stand before it tries something, and restores that
// when the trial fails or is only a trial. This is the one place that copies
// positions and counters to and from a checkpoint.
#pragma once

#include <cstdint>

#include "core/run_state.h"

// Both files' positions to checkpoint `at`, and back from checkpoint `from`.
// The counters stay as they are, and so does the checkpoint's copy of them.
inline void savePositions(RunState& run, Checkpoint at) {
  Mark& mark = run.checkpoints[at];
  for (const Side side : kBothSides) {
    mark.files[side] = run.readers[side].position;
  }
}

inline void restorePositions(RunState& run, Checkpoint from) {
  const Mark& mark = run.checkpoints[from];
  for (const Side side : kBothSides) {
    run.readers[side].position = mark.files[side];
  }
}

// Both files' positions and the four word-level counters to checkpoint `at`,
// and back from checkpoint `from`.
inline void saveCheckpoint(RunState& run, Checkpoint at) {
  savePositions(run, at);
  run.checkpoints[at].counts = run.counters.words;
}

inline void restoreCheckpoint(RunState& run, Checkpoint from) {
  restorePositions(run, from);
  run.counters.words = run.checkpoints[from].counts;
}

// Checkpoint `to` becomes a copy of checkpoint `from`, positions and counters.
inline void copyCheckpoint(RunState& run, Checkpoint from, Checkpoint to) {
  run.checkpoints[to] = run.checkpoints[from];
}

// Where file `side` stood when checkpoint `at` was saved.
inline const ReaderPosition& checkpointPosition(const RunState& run,
                                                Checkpoint at, Side side) {
  return run.checkpoints[at].files[side];
}

// Sets the tokenStart that every checkpoint holds for file `side` to its
// current tokenStart, so that compaction may drop the text before the
// current position.
inline void moveCheckpointsToCurrent(RunState& run, Side side) {
  const std::uint32_t current = run.readers[side].position.tokenStart;
  for (Mark& mark : run.checkpoints.marks) {
    mark.files[side].tokenStart = current;
  }
}
