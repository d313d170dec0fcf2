// Shortcuts of the line alignment: trials that surely fail, told from the
// page buffers before they are run.
//
// The plain steps they replace: the alignment's trials (line_align.h), real
// comparisons of a line pair or a word pair with compareLineWords or
// compareWords, taken back through the checkpoints when they fail. Why the
// same: a failed trial is taken back whole (positions, counters, pending text
// and records), so only its answer matters; these tell the answer "fails" from
// the buffers with the word rules of the comparison (judgeWords,
// wordsReadSame, which count and list nothing), and only when every byte
// the trial would read lies in the valid bytes (reader/peek.h), so the
// trial would not have refilled either. When they cannot tell, the trial
// runs. Taken only while RunValues::shortcuts is on.
#pragma once

#include <cstdint>

#include "compare/word_compare.h"

struct RunState;

// Whether compareLineWords on the current line pair is sure to find a
// counted difference (a failed trial), told from the buffers alone.
bool currentLinesSurelyDiffer(RunState& run);

// Right after a line pair differed (the files after it, the pair checkpoint
// before it): true when no alignment can match, told from the buffers alone:
// the next pair surely differs, and so do the next line of each file against
// the other file's line of the pair. Then the pair is a changed line, as
// comparing it found, and the trials need not run.
bool noLineTrialMatches(RunState& run);

// The judgement made of the word pair both files stand on, and where they
// stand, for comparing that pair without judging it again.
struct JudgedPair {
  bool valid = false;
  std::uint32_t at1 = 0;
  std::uint32_t at2 = 0;
  WordJudgement judged{};
};

// Whether `pair` holds the judgement of the word pair both files stand on.
bool judgedHere(RunState& run, const JudgedPair& pair);

// After the word pair at the word checkpoint differed, with both files on the
// next words: true when none of the alignment's trials there can match, neither
// the next pair nor either next word against the other file's differing
// word. Then the pair is a changed word, as comparing it was, and `next`
// keeps the judgement of the next pair, so that comparing it need not judge
// it again.
bool noWordTrialMatches(RunState& run, JudgedPair& next);
