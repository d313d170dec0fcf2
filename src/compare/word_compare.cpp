#include "compare/word_compare.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "core/number.h"
#include "core/records.h"
#include "core/run_state.h"
#include "listing/pending_diff.h"
#include "reader/token_reader.h"

namespace {

// 10^k for 0 <= k <= 18, held at 10^18 above: more than any difference or
// sum of two rounded numbers.
std::int64_t powerOfTen(std::int64_t k) {
  static constexpr std::array<std::int64_t, 19> kPowers = [] {
    std::array<std::int64_t, 19> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < powers.size(); ++i) {
      powers[i] = powers[i - 1] * 10;
    }
    return powers;
  }();
  return kPowers[static_cast<std::size_t>(std::clamp<std::int64_t>(k, 0, 18))];
}

// True when a * b >= c, exactly: b >= c / a rounded up. (The product itself
// may need more than 64 bits.)
bool productAtLeast(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  if (a == 0) {
    return c == 0;
  }
  return b >= c / a + (c % a != 0 ? 1 : 0);
}

bool isLowerLetter(char c) {
  return c >= 'a' && c <= 'z';
}

using WorkWord = ReadWord;

void readWord(WorkWord& w) {
  const ScannedNumber n = scanNumber(w.text, w.length);
  w.units = n.units;
  w.trailing = n.trailing;
  w.place = n.place;
}

std::uint64_t loadEightBytes(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint32_t loadFourBytes(const char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Three pieces of a text of 1 to kCachedWordLength bytes that, with its
// length, tell it from every other such text: together they cover every
// byte. Whole loads only (no partial copies into a wider variable, which
// stall the processor).
struct WordKey {
  std::uint64_t head;
  std::uint64_t tail;
  std::uint64_t middle;
};

WordKey wordKey(const char* text, std::size_t length) {
  const auto byte = [text](std::size_t i) {
    return std::uint64_t{static_cast<unsigned char>(text[i])};
  };
  if (length < 4) {
    return {byte(0) | byte(length / 2) << 8 | byte(length - 1) << 16, 0, 0};
  }
  if (length < 8) {
    return {loadFourBytes(text) |
                std::uint64_t{loadFourBytes(text + length - 4)} << 32,
            0, 0};
  }
  return {loadEightBytes(text), loadEightBytes(text + length - 8),
          length > 16 ? loadEightBytes(text + 8) : 0};
}

// Reads a word, or takes what an earlier reading of the same text found.
void loadWord(WordCache* cache, WorkWord& w, const TokenBytes& token) {
  w.text = reinterpret_cast<const char*>(token.data);
  w.length = token.length;
  if (cache == nullptr || w.length == 0 || w.length > kCachedWordLength) {
    readWord(w);
    return;
  }
  const WordKey key = wordKey(w.text, w.length);
  const std::uint64_t hash = (key.head * 0x9E3779B97F4A7C15ull) ^
                             ((key.tail + w.length) * 0xC2B2AE3D27D4EB4Full);
  WordCacheEntry& e = cache->entries[(hash >> 56) % WordCache::kEntries];
  if (e.length == w.length && e.head == key.head && e.tail == key.tail &&
      e.middle == key.middle) {
    w.units = e.units;
    w.trailing = e.trailing;
    w.place = e.place;
    return;
  }
  readWord(w);
  e.head = key.head;
  e.tail = key.tail;
  e.middle = key.middle;
  e.length = static_cast<std::uint8_t>(w.length);
  e.units = w.units;
  e.trailing = static_cast<std::uint8_t>(w.trailing);
  e.place = static_cast<std::int32_t>(w.place);
}

// Counts a word whose trailing texts differ or that is no number at all.
bool textDifference(RunState& run) {
  bump(run.counters.words.wordDiffCount);
  appendDiffWords(run);
  return false;
}

// Counts the verdict on two numbers; true when they count as the same.
bool countVerdict(RunState& run, Verdict verdict) {
  WordCounts& counts = run.counters.words;
  switch (verdict) {
    case Verdict::kWithinTolerance:
      return true;
    case Verdict::kTiny:
      bump(counts.tinyDiffCount);
      return true;
    case Verdict::kLastPlace:
      bump(counts.lastDigitCount);
      return true;
    case Verdict::kListed:
      break;
  }
  bump(counts.numericDiffCount);
  appendDiffWords(run);
  return false;
}

// The rules for two tokens that are not equal as text.
WordJudgement judgeUnequalWords(RunState& run, const TokenBytes& token1,
                                const TokenBytes& token2) {
  constexpr WordJudgement kText{WordJudgement::Kind::kText, Verdict::kListed, 0,
                                0};
  if (token1.length > kWordCapacity || token2.length > kWordCapacity) {
    return kText;
  }
  WorkWord w1;
  WorkWord w2;
  WordCache* cache = run.values.shortcuts ? &run.wordCache : nullptr;
  loadWord(cache, w1, token1);
  loadWord(cache, w2, token2);
  return judgeReadWords(w1, w2, run.settings);
}

bool equalText(const TokenBytes& token1, const TokenBytes& token2) {
  return token1.length == token2.length &&
         std::memcmp(token1.data, token2.data, token1.length) == 0;
}

}  // namespace

WordJudgement judgeReadWords(ReadWord w1, ReadWord w2,
                             const Settings& settings) {
  constexpr WordJudgement kText{WordJudgement::Kind::kText, Verdict::kListed, 0,
                                0};
  // A single lowercase letter after a number stands for nothing against a
  // zero ("5x" against "0" compares 5 with 0).
  if (w1.trailing + w2.trailing == 1) {
    WorkWord& k = w1.trailing == 1 ? w1 : w2;
    const WorkWord& j = w1.trailing == 1 ? w2 : w1;
    if (isLowerLetter(k.text[k.length - 1]) && j.units == 0) {
      --k.length;
      k.trailing = 0;
    }
  }

  if (w1.trailing != w2.trailing) {
    return kText;
  }
  std::size_t t = w1.trailing;
  if (t > 0) {
    const char* tail1 = w1.text + (w1.length - t);
    const char* tail2 = w2.text + (w2.length - t);
    for (std::size_t i = 0; i < t; ++i) {
      bool match = tail1[i] == tail2[i] || (t == 1 && isLowerLetter(tail1[i]) &&
                                            isLowerLetter(tail2[i]));
      if (!match) {
        return kText;
      }
    }
    w1.length -= t;
    w2.length -= t;
  }

  // The numbers as written decide the last place.
  const std::int64_t place = std::min(w1.place, w2.place);
  return {WordJudgement::Kind::kNumbers,
          judgeNumbers(w1.units, w2.units, place, settings), w1.units,
          w2.units};
}

Verdict judgeNumbers(std::int64_t units1, std::int64_t units2,
                     std::int64_t place, const Settings& settings) {
  // D, the difference, and S, the sum of the magnitudes (twice the mean),
  // both in units.
  const std::uint64_t d = static_cast<std::uint64_t>(
      units1 > units2 ? units1 - units2 : units2 - units1);
  const std::uint64_t s = static_cast<std::uint64_t>(
      (units1 < 0 ? -units1 : units1) + (units2 < 0 ? -units2 : units2));
  const std::uint64_t tolerance = settings.ignoreUnits;

  // Within the tolerance: D <= t, or, relative with q units of a percent,
  // D <= (S / 2) * (q / 10000) / 100, that is 2000000 * D <= S * q.
  const bool within = settings.ignoreRelative
                          ? productAtLeast(s, tolerance, 2000000 * d)
                          : d <= tolerance;
  if (within) {
    return Verdict::kWithinTolerance;
  }
  if (settings.showAll) {
    return Verdict::kListed;
  }
  // Less than 0.1 % of the mean: D < (S / 2) / 1000.
  if (2000 * d < s) {
    return Verdict::kTiny;
  }
  // Apart in the last written place only: D below ten units of that place,
  // 10^(place + 1), that is 10^(place + 5) units. A whole-number place
  // counts only when the mean reaches 10^(place + 4): S >= 2 * 10^(place + 8)
  // units.
  if (place >= 0 && static_cast<std::uint64_t>(2 * powerOfTen(place + 8)) > s) {
    return Verdict::kListed;
  }
  if (place + 5 > 0 && d < static_cast<std::uint64_t>(powerOfTen(place + 5))) {
    return Verdict::kLastPlace;
  }
  return Verdict::kListed;
}

WordJudgement judgeWords(RunState& run, const TokenBytes& token1,
                         const TokenBytes& token2) {
  if (equalText(token1, token2)) {
    return {WordJudgement::Kind::kEqualText, Verdict::kListed, 0, 0};
  }
  return judgeUnequalWords(run, token1, token2);
}

bool compareJudgedWords(RunState& run, const WordJudgement& judged) {
  const bool same = countJudgement(run, judged);
  nextTokenBoth(run);
  return same;
}

bool countJudgement(RunState& run, const WordJudgement& judged) {
  bool same = true;
  switch (judged.kind) {
    case WordJudgement::Kind::kEqualText:
      break;
    case WordJudgement::Kind::kText:
      same = textDifference(run);
      break;
    case WordJudgement::Kind::kNumbers:
      recordNumbers(run, unitsToValue(judged.units1),
                    unitsToValue(judged.units2), judged.verdict);
      same = countVerdict(run, judged.verdict);
      break;
  }
  return same;
}

bool compareWords(RunState& run) {
  return compareJudgedWords(run, judgeWords(run, currentToken(run, Side::kOne),
                                            currentToken(run, Side::kTwo)));
}

bool wordsReadSame(RunState& run, const TokenBytes& token1,
                   const TokenBytes& token2) {
  return judgeWords(run, token1, token2).same();
}
