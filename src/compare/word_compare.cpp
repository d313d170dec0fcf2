#include "compare/word_compare.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "core/number.h"
#include "core/records.h"
#include "core/run_state.h"
#include "listing/pending_diff.h"
#include "reader/token_reader.h"

namespace {

// 10^k as the nearest double. The last-place rule compares a difference with
// a power of ten, and a difference can equal it exactly (0.020 - 0.010), so
// the power must be exact to the last bit. Not every run-time library's pow
// is (mingw-w64's is off for 10^-2 and below); the literals are rounded by
// the compiler. Powers outside the table never decide a comparison.
double powerOfTen(std::int64_t k) {
  static constexpr double kPowers[] = {
      1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14,
      1e-13, 1e-12, 1e-11, 1e-10, 1e-9,  1e-8,  1e-7,  1e-6,  1e-5,
      1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,   1e2,   1e3,   1e4,
      1e5,   1e6,   1e7,   1e8,   1e9,   1e10,  1e11,  1e12,  1e13,
      1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21,  1e22};
  constexpr std::int64_t kLowest = -22;
  constexpr std::int64_t kHighest = 22;
  if (k >= kLowest && k <= kHighest) {
    return kPowers[k - kLowest];
  }
  return std::pow(10.0, static_cast<double>(k));
}

bool isLowerLetter(char c) {
  return c >= 'a' && c <= 'z';
}

// A word of the current token of one file, in the page buffer.
struct TokenBytes {
  const unsigned char* data;
  std::uint32_t length;
};

TokenBytes currentToken(RunState& run, int fileNo) {
  PageReader& r = reader(run, fileNo);
  std::uint32_t start = std::min(r.position.tokenStart, kPageBufferSize);
  std::uint32_t length =
      std::min(r.position.tokenLength, kPageBufferSize - start);
  return {r.pageBuffer.data() + start, length};
}

// A working copy of a word with its number value and trailing length.
struct WorkWord {
  char text[kWordCapacity];
  std::size_t length;
  double value;
  std::size_t trailing;
};

void loadWord(WorkWord& w, const TokenBytes& token) {
  w.length = token.length;
  std::memcpy(w.text, token.data, w.length);
  w.value = scanNumber(w.text, w.length, w.trailing);
}

// Counts a word whose trailing texts differ or that is no number at all.
bool textDifference(RunState& run) {
  bump(run.counters.words.wordDiffCount);
  appendDiffWords(run, 0);
  return false;
}

bool numericDifference(RunState& run) {
  bump(run.counters.words.numericDiffCount);
  appendDiffWords(run, 0);
  return false;
}

// The verdict on two numbers of equal trailing text (`length` without it).
NumberVerdict numberVerdict(const Settings& s, const WorkWord& w1,
                            const WorkWord& w2) {
  double diff = std::fabs(w1.value - w2.value);
  double mean = (std::fabs(w1.value) + std::fabs(w2.value)) * 0.5;
  double allowed =
      s.ignoreRelative ? mean * s.ignoreTolerance : s.ignoreTolerance;
  if (diff <= allowed) {
    return NumberVerdict::kWithinTolerance;
  }
  if (s.showAll) {
    return NumberVerdict::kListed;
  }
  if (diff < mean * 0.001) {
    return NumberVerdict::kTiny;
  }
  std::int64_t p = std::min(lastDigitPlace(w1.text, w1.length),
                            lastDigitPlace(w2.text, w2.length));
  if (p >= 0 && powerOfTen(p + 4) > mean) {
    return NumberVerdict::kListed;
  }
  if (diff < powerOfTen(p + 1)) {
    return NumberVerdict::kLastPlace;
  }
  return NumberVerdict::kListed;
}

// The rules for two tokens that are not equal as text. Counts the outcome and
// fills the pending difference; does not move the files.
bool compareUnequalWords(RunState& run, const TokenBytes& token1,
                         const TokenBytes& token2) {
  if (token1.length > kWordCapacity || token2.length > kWordCapacity) {
    return textDifference(run);
  }
  WorkWord w1;
  WorkWord w2;
  loadWord(w1, token1);
  loadWord(w2, token2);

  // A single lowercase letter after a number stands for nothing against a
  // zero ("5x" against "0" compares 5 with 0).
  if (w1.trailing + w2.trailing == 1) {
    WorkWord& k = w1.trailing == 1 ? w1 : w2;
    const WorkWord& j = w1.trailing == 1 ? w2 : w1;
    if (isLowerLetter(k.text[k.length - 1]) && j.value == 0.0) {
      --k.length;
      k.trailing = 0;
    }
  }

  if (w1.trailing != w2.trailing) {
    return textDifference(run);
  }
  std::size_t t = w1.trailing;
  if (t > 0) {
    const char* tail1 = w1.text + (w1.length - t);
    const char* tail2 = w2.text + (w2.length - t);
    for (std::size_t i = 0; i < t; ++i) {
      bool match = tail1[i] == tail2[i] || (t == 1 && isLowerLetter(tail1[i]) &&
                                            isLowerLetter(tail2[i]));
      if (!match) {
        return textDifference(run);
      }
    }
    w1.length -= t;
    w2.length -= t;
  }

  const NumberVerdict verdict = numberVerdict(run.settings, w1, w2);
  recordNumbers(run, w1.value, w2.value, verdict);
  switch (verdict) {
    case NumberVerdict::kWithinTolerance:
      return true;
    case NumberVerdict::kTiny:
      bump(run.counters.words.tinyDiffCount);
      return true;
    case NumberVerdict::kLastPlace:
      bump(run.counters.words.lastDigitCount);
      return true;
    case NumberVerdict::kListed:
      break;
  }
  return numericDifference(run);
}

}  // namespace

bool compareWords(RunState& run) {
  TokenBytes token1 = currentToken(run, 1);
  TokenBytes token2 = currentToken(run, 2);
  bool same = (token1.length == token2.length &&
               std::memcmp(token1.data, token2.data, token1.length) == 0) ||
              compareUnequalWords(run, token1, token2);
  nextTokenBoth(run);
  return same;
}
