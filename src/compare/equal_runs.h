// A shortcut of the line alignment: a run of line pairs that read the same
// byte for byte in both files, or that differ only in numbers the word rules
// excuse, passed in one step.
//
// The plain step it replaces: compareLinePair (line_align.h) on each pair,
// which compares the pair word by word, finds every word equal and lists
// nothing, and passes the runs of blank lines between pairs, which match
// whatever their lengths. Why the same: equal bytes are equal words, so each
// such pair only adds one to linesCompared. A pair whose words stand at the
// same places in both files and differ only in numbers that judgeWords
// finds the same (excused, or within the tolerance) adds one to
// linesCompared too, and what comparing each of those number pairs counts
// and records, in the order the words stand; passEqualLines counts and
// records them so, with the line numbers the plain step gives. The last
// pair of a run always reads the same byte for byte, so what is left is
// where the files, the checkpoints and the counters stand after it, and
// passEqualLines sets them exactly there, as the steps would leave them.
// The records are settled later than the plain steps settle them, which
// settles the same records in the same order. It takes only pairs whose
// bytes, and the bytes that decide the tokens after them, lie in the page
// buffers, so no refill is skipped that the steps would have made; it stops
// before a tagged line when head lines are skipped, since the steps pass
// those another way. Taken only while RunValues::shortcuts is on.
#pragma once

#include <array>
#include <cstdint>

#include "core/reader_state.h"
#include "core/verdict.h"

struct RunState;

// A pair of unequal numbers in a line pair of a run, which the word rules
// find the same: the verdict on it, the rounded values (in units) and the
// line numbers each file stands on.
struct ExcusedNumbers {
  zudiz::Verdict verdict;
  std::int64_t units1;
  std::int64_t units2;
  std::int64_t line1;
  std::int64_t line2;
};

// The most number pairs a run holds; a line pair that would bring more ends
// the run before it.
inline constexpr std::int32_t kMaxExcusedNumbers = 32;

// A run of line pairs that read the same in both files, with the runs of
// blank lines between them (findEqualLines).
struct EqualLines {
  std::int32_t count = 0;  // line pairs in the run
  // In each file, where the last pair's first word, last word and line end
  // stand, as nextToken would have read them: lineCount counts the line ends
  // before the pair, and those of the pair itself for lineEnd.
  std::array<ReaderPosition, 2> firstWord;
  std::array<ReaderPosition, 2> lastWord;
  std::array<ReaderPosition, 2> lineEnd;
  // Whether the run ends with runs of blank lines in both files after the
  // last pair; then the line ends of each file's first and last blank line.
  bool blankAfter = false;
  std::array<ReaderPosition, 2> firstBlank;
  std::array<ReaderPosition, 2> lastBlank;
  // The number pairs of the run's line pairs that do not read the same byte
  // for byte, in the order the comparison meets them (only the first
  // excusedCount entries are set).
  std::int32_t excusedCount = 0;
  std::array<ExcusedNumbers, kMaxExcusedNumbers> excused;
};

// Line mode, both files on a word: the run of line pairs, from the current
// one on, whose bytes are the same in both files from the first word
// through the line end (LF, CR LF or a lone CR), with the byte after the
// line end in both buffers; or whose words stand at the same places, each
// pair equal or a pair of numbers judgeWords finds the same, with line ends
// of the same length. The first and the last pair read the same byte for
// byte (a run that would end with another pair ends before it).
// Between two pairs may stand a run of blank
// lines in each file, of any lengths; the run goes on after them only when
// both files go on with a word. A pair after the first must not begin with
// "D&T=" or "P&V=" when `stopAtTags`. The run stops at anything else (a
// difference, a page end, a blank line in one file only, the end of the
// bytes in the buffers). A count of 0 when there is no run. Reads the
// buffers only: never refills, changes nothing (the word cache may learn
// the words).
EqualLines findEqualLines(RunState& run, bool stopAtTags);

// Passes the current line pair, and the pairs after it, while they read the
// same in both files (findEqualLines), counting them as compared, counting
// and recording their excused numbers and leaving the files, the
// checkpoints and the counters as comparing them one by one would. False,
// with nothing changed, when there is no run. Never refills before its last
// nextToken.
bool passEqualLines(RunState& run);
