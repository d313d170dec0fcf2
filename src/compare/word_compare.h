// Word and number comparison: whether the current words of the two files
// count as the same, and how they differ when they don't. Numbers are
// compared by value rounded to four decimals, as exact decimals, with the
// tolerance of the settings, and small differences (below 0.1%, or in the last
// written decimal place) are excused unless showAll is set.
//
// Writes the four word-level counters and the pending difference. Called by
// the alignment (line_align.h).
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/records.h"
#include "reader/token_reader.h"

struct RunState;
struct Settings;

// Judges two rounded numbers, given as counts of ten-thousandths (their
// magnitudes at most 4294967295), with `place` the finer of their last
// written places (lastDigitPlace) and the tolerance and showAll of
// `settings`. Every rule is decided on whole numbers, so equal decimal
// differences always get equal answers.
Verdict judgeNumbers(std::int64_t units1, std::int64_t units2,
                     std::int64_t place, const Settings& settings);

// What the word rules make of two tokens: equal text, a text difference
// (one is no number, or their trailing texts differ), or two numbers with
// their rounded values and the verdict on them.
struct WordJudgement {
  enum class Kind { kEqualText, kText, kNumbers };
  Kind kind;
  Verdict verdict;
  std::int64_t units1;
  std::int64_t units2;

  bool same() const {
    return kind == Kind::kEqualText ||
           (kind == Kind::kNumbers && verdict != Verdict::kListed);
  }
};

// A word with what reading it as a number found (scanNumber): the value in
// units, the length of the text after the number and the place of the last
// digit of the number part. The text stays where it was read.
struct ReadWord {
  const char* text;
  std::size_t length;  // at most kWordCapacity
  std::int64_t units;
  std::size_t trailing;
  std::int64_t place;
};

// The word rules for two words whose texts are not equal, once both are
// read as numbers.
WordJudgement judgeReadWords(ReadWord w1, ReadWord w2,
                             const Settings& settings);

// Judges two tokens, counting, listing and recording nothing (the word
// cache may learn the words).
WordJudgement judgeWords(RunState& run, const TokenBytes& token1,
                         const TokenBytes& token2);

// compareWords with the judgement judgeWords made of the current tokens
// (with no refill since).
bool compareJudgedWords(RunState& run, const WordJudgement& judged);

// compareJudgedWords without moving the files: counts, lists and records
// what `judged` says of the current tokens; true when they count as the
// same.
bool countJudgement(RunState& run, const WordJudgement& judged);

// Compares the current tokens of both files. Returns true when they count as
// the same (equal text, within the tolerance, or excused; an excused
// difference adds 1 to lastDigitCount or tinyDiffCount). Otherwise adds 1 to
// wordDiffCount or numericDiffCount, appends both words to the pending
// difference and returns false. Always moves both files on by one token.
bool compareWords(RunState& run);

// Whether compareWords would find the two tokens the same, with nothing
// counted, listed or recorded (the word cache may learn the words).
bool wordsReadSame(RunState& run, const TokenBytes& token1,
                   const TokenBytes& token2);
