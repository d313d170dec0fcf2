#include "compare/word_records.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "compare/line_align.h"
#include "compare/word_compare.h"
#include "core/number.h"
#include "core/run_state.h"
#include "listing/listing.h"
#include "listing/pending_diff.h"
#include "reader/bytes.h"
#include "reader/checkpoints.h"
#include "reader/token_reader.h"
#include "reader/words.h"

namespace {

// A token as nextToken reads it from the valid bytes: kNone when the bytes
// that decide it run past them.
struct Token {
  enum class Kind { kNone, kWord, kLineEnd, kPageEnd };
  Kind kind = Kind::kNone;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
};

// The token at or after offset `at`, blanks passed.
Token tokenFrom(const PageReader& r, std::uint32_t at) {
  using Kind = Token::Kind;
  const unsigned char* buf = r.bytes();
  at = skipBlanks(buf, at, r.bufLen);
  if (at >= r.bufLen) {
    return {};
  }
  const unsigned char c = buf[at];
  switch (kByteClass[c]) {
    case ByteClass::kWordByte: {
      const std::uint32_t length = wordLengthWithin(buf, at, r.bufLen);
      if (length == 0) {
        return {};
      }
      return {Kind::kWord, at, length};
    }
    case ByteClass::kLineEnd:
      if (c != kCr) {
        return {Kind::kLineEnd, at, 1};
      }
      if (at + 1 >= r.bufLen) {
        return {};
      }
      return {Kind::kLineEnd, at, buf[at + 1] == kLf ? 2u : 1u};
    case ByteClass::kPageEnd:
      return {Kind::kPageEnd, at, 1};
    case ByteClass::kBlank:
      break;
  }
  return {};
}

// Reads the words of the line whose first word starts at `start` into
// `line`, and keeps its bytes when they are few enough. False when the line
// runs into a page end, holds more than kMaxRecordedWords words, or the
// bytes that decide it run past the valid bytes.
bool readLine(const PageReader& r, std::uint32_t start, LineRecord& line) {
  const unsigned char* buf = r.bytes();
  const std::uint32_t end = r.bufLen;
  std::uint32_t at = start;
  std::uint32_t count = 0;
  line.keptLength = 0;
  for (;;) {
    at = skipBlanks(buf, at, end);
    if (at >= end) {
      return false;
    }
    const unsigned char c = buf[at];
    if (isWordByte(c)) {
      const std::uint32_t length = wordLengthWithin(buf, at, end);
      if (length == 0 || count == kMaxRecordedWords) {
        return false;
      }
      WordRecord& word = line.words[count++];
      word.at = static_cast<std::uint16_t>(at - start);
      word.length = static_cast<std::uint16_t>(length);
      word.scanned = false;
      at += length;
      continue;
    }
    if (c != kLf && c != kCr) {
      return false;  // a page end
    }
    if (c == kCr && at + 1 >= end) {
      return false;
    }
    line.wordCount = count;
    line.endAt = at - start;
    line.endLength = c == kCr && buf[at + 1] == kLf ? 2 : 1;
    const std::uint32_t kept = line.endAt + line.endLength + 1;
    if (kept <= kMaxKeptLineBytes && start + kept <= end) {
      std::memcpy(line.kept.data(), buf + start, kept);
      line.keptLength = kept;
    }
    return true;
  }
}

// Whether `line` holds the records of the line that starts at `start`.
bool holdsLineAt(const PageReader& r, std::uint32_t start,
                 const LineRecord& line) {
  return line.keptLength != 0 && start + line.keptLength <= r.bufLen &&
         std::memcmp(line.kept.data(), r.bytes() + start, line.keptLength) == 0;
}

// A line of one file: its first byte and its records (none for a blank
// line), its bytes through its line end, and the token after its line end.
struct Line {
  std::uint32_t start = 0;
  const unsigned char* text = nullptr;
  LineRecord* words = nullptr;
  std::uint32_t length = 0;
  Token after;
};

// The current line of a file and the line after it, and where the file
// stood before the pair.
struct FileLines {
  Line current;
  Line next;
  LineRecord* spare = nullptr;  // the records the next line goes into
  std::int32_t lineCount = 0;
};

// Which of the kept lines of file `side`, which stands on a word, holds its
// current line: 0 or 1, or -1 for neither.
int keptCurrent(RunState& run, Side side) {
  const PageReader& r = run.readers[side];
  const std::uint32_t start = r.position.tokenStart;
  const std::array<LineRecord, 2>& slots = run.wordRecords.lines[side];
  if (holdsLineAt(r, start, slots[1])) {
    return 1;
  }
  return holdsLineAt(r, start, slots[0]) ? 0 : -1;
}

// The current line of file `side`, which stands on a word, with the token
// after it, which must be a word or a line end: the kept line `kept`, or
// else read from the page buffer.
bool openCurrent(RunState& run, Side side, FileLines& file, int kept) {
  const PageReader& r = run.readers[side];
  const ReaderPosition& pos = r.position;
  if (pos.tokenStart >= r.bufLen) {
    return false;
  }
  const std::uint32_t start = pos.tokenStart;
  std::array<LineRecord, 2>& slots = run.wordRecords.lines[side];
  LineRecord* current = &slots[kept == 1 ? 1 : 0];
  LineRecord* spare = &slots[kept == 1 ? 0 : 1];
  if (kept < 0 && !readLine(r, start, *current)) {
    return false;
  }
  const Token after = tokenFrom(r, start + current->endAt + current->endLength);
  if (after.kind != Token::Kind::kWord && after.kind != Token::Kind::kLineEnd) {
    return false;
  }
  file.current = {start, r.bytes() + start, current,
                  current->endAt + current->endLength, after};
  file.spare = spare;
  file.lineCount = pos.lineCount;
  return true;
}

// The line after the current one, a blank line or one that starts with a
// word, with the token after it (a page end too).
bool openNext(RunState& run, Side side, FileLines& file) {
  const PageReader& r = run.readers[side];
  const Token& first = file.current.after;
  Line& next = file.next;
  next.start = first.start;
  next.text = r.bytes() + first.start;
  if (first.kind == Token::Kind::kLineEnd) {
    next.words = nullptr;
    next.length = first.length;
  } else {
    LineRecord& line = *file.spare;
    if (!holdsLineAt(r, first.start, line) && !readLine(r, first.start, line)) {
      return false;
    }
    next.words = &line;
    next.length = line.endAt + line.endLength;
  }
  next.after = tokenFrom(r, first.start + next.length);
  return next.after.kind != Token::Kind::kNone;
}

bool isDigitChar(char c) {
  return static_cast<unsigned char>(c - '0') < 10;
}

bool isExponentLetter(char c) {
  return c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

}  // namespace

bool readPlainWord(const char* text, std::size_t length, ScannedNumber& n) {
  const char* p = text;
  const char* end = text + length;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') {
    ++p;
  }
  if (p == end) {
    return false;
  }
  if (!isDigitChar(*p) && *p != '.' && *p != ',' && *p != '+' && *p != '-' &&
      !isExponentLetter(*p)) {
    n = {0, length, 0};  // no number: all of it is trailing text
    return true;
  }
  std::uint64_t digits = 0;
  int digitCount = 0;
  for (; p < end; ++p) {
    if (isDigitChar(*p)) {
      digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
      ++digitCount;
    } else if (*p != ',') {
      break;
    }
  }
  int decimals = -1;
  const char* point = p;
  if (p < end && *p == '.') {
    decimals = 0;
    for (++p; p < end; ++p) {
      if (isDigitChar(*p)) {
        digits = digits * 10 + static_cast<std::uint64_t>(*p - '0');
        ++digitCount;
        ++decimals;
      } else if (*p != ',') {
        break;
      }
    }
  }
  if (digitCount == 0 || digitCount > 18 || decimals == 0) {
    return false;
  }
  int shift = 4 - std::max(decimals, 0);
  int place = decimals < 0 ? 0 : -static_cast<int>(p - point - 1);
  if (p < end && isExponentLetter(*p)) {
    // An E or e counts in the last place; a D or d is read as one but the
    // last place counts the characters after the point through the
    // exponent.
    const bool placeExponent = *p == 'E' || *p == 'e';
    ++p;
    const bool negativeExponent = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) {
      ++p;
    }
    int exponent = 0;
    int exponentDigits = 0;
    for (; p < end && isDigitChar(*p); ++p) {
      if (++exponentDigits > 3) {
        return false;
      }
      exponent = exponent * 10 + (*p - '0');
    }
    if (exponentDigits == 0 || (p < end && *p == ',') || exponent > 280) {
      return false;
    }
    const int value = negativeExponent ? -exponent : exponent;
    shift += value;
    if (placeExponent) {
      place += value;
    } else if (decimals >= 0) {
      place = -static_cast<int>(p - point - 1);
    }
  }
  if (shift < 0) {
    // Rounding needed: scanNumber reads the value through a double, the
    // nearest one to digits / 10^m; with both exact in a double that is
    // their quotient, and the reading ends where this one ended.
    const int m = 4 - shift;
    if (digitCount > 15 || m > 22) {
      return false;
    }
    static constexpr std::array<double, 23> kDivisors = [] {
      std::array<double, 23> powers{};
      powers[0] = 1;
      for (std::size_t k = 1; k < powers.size(); ++k) {
        powers[k] = powers[k - 1] * 10;
      }
      return powers;
    }();
    const double value =
        static_cast<double>(digits) / kDivisors[static_cast<std::size_t>(m)];
    n.units = roundToUnits(negative ? -value : value);
    n.trailing = static_cast<std::size_t>(end - p);
    n.place = place;
    return true;
  }
  // Scaled up to units, held at kMaxUnits: digits other than zero reach it
  // at ten places at the latest, and below that the product fits.
  static constexpr std::array<std::uint64_t, 10> kPowers = [] {
    std::array<std::uint64_t, 10> powers{};
    powers[0] = 1;
    for (std::size_t k = 1; k < powers.size(); ++k) {
      powers[k] = powers[k - 1] * 10;
    }
    return powers;
  }();
  const auto max = static_cast<std::uint64_t>(kMaxUnits);
  std::uint64_t scaled = digits;
  if (digits != 0) {
    scaled =
        digits > max || shift >= static_cast<int>(kPowers.size())
            ? max
            : std::min(digits * kPowers[static_cast<std::size_t>(shift)], max);
  }
  n.units = negative ? -static_cast<std::int64_t>(scaled)
                     : static_cast<std::int64_t>(scaled);
  n.trailing = static_cast<std::size_t>(end - p);
  n.place = place;
  return true;
}

namespace {

// Reads a recorded word as a number, once.
void scanRecorded(WordRecord& word, const unsigned char* text) {
  const char* chars = reinterpret_cast<const char*>(text);
  ScannedNumber n;
  if (!readPlainWord(chars, word.length, n)) {
    n = scanNumber(chars, word.length);
  }
  word.units = n.units;
  word.trailing = static_cast<std::uint8_t>(n.trailing);
  word.place = n.place;
  word.scanned = true;
}

ReadWord readRecorded(const WordRecord& word, const unsigned char* text) {
  return {reinterpret_cast<const char*>(text), word.length, word.units,
          word.trailing, word.place};
}

// judgeWords on word i of `a` (file 1) and word j of `b` (file 2).
WordJudgement judgePair(const RunState& run, const Line& a, std::uint32_t i,
                        const Line& b, std::uint32_t j) {
  WordRecord& w1 = a.words->words[i];
  WordRecord& w2 = b.words->words[j];
  const unsigned char* text1 = a.text + w1.at;
  const unsigned char* text2 = b.text + w2.at;
  if (w1.length == w2.length && std::memcmp(text1, text2, w1.length) == 0) {
    return {WordJudgement::Kind::kEqualText, Verdict::kListed, 0, 0};
  }
  if (w1.length > kWordCapacity || w2.length > kWordCapacity) {
    return {WordJudgement::Kind::kText, Verdict::kListed, 0, 0};
  }
  if (!w1.scanned) {
    scanRecorded(w1, text1);
  }
  if (!w2.scanned) {
    scanRecorded(w2, text2);
  }
  if (w1.trailing == 0 && w2.trailing == 0) {
    // Two numbers with nothing after them: judgeReadWords compares their
    // values at the finer last place, and so does this.
    return {WordJudgement::Kind::kNumbers,
            judgeNumbers(w1.units, w2.units, std::min(w1.place, w2.place),
                         run.settings),
            w1.units, w2.units};
  }
  return judgeReadWords(readRecorded(w1, text1), readRecorded(w2, text2),
                        run.settings);
}

// The number of word pairs at the start of lines `a` and `b`, both with
// words, that read the same byte for byte: words that end, with the byte
// after them (two for a comma, which a digit may join on), before the
// first byte where the lines part. Both lines hold them at the same places.
std::uint32_t equalLeadingWords(const Line& a, const Line& b) {
  const std::uint32_t differ =
      findLineEndOrDifference(a.text, b.text, 0, std::min(a.length, b.length));
  const LineRecord& words = *a.words;
  std::uint32_t k = 0;
  while (k < words.wordCount &&
         std::uint32_t{words.words[k].at} + words.words[k].length + 1 <
             differ) {
    ++k;
  }
  return k;
}

// Whether compareLineWords finds no counted difference between line `a` of
// file 1 and line `b` of file 2.
// The word pairs of two matching lines whose texts are not equal, which
// alone count anything, with their judgements, in order; `whole` is false
// when there were more than the list holds.
struct CountedPairs {
  static constexpr std::uint32_t kMost = 32;
  std::array<std::uint32_t, kMost> at;
  std::array<WordJudgement, kMost> judged;
  std::uint32_t count = 0;
  bool whole = true;
};

bool linesMatch(const RunState& run, const Line& a, const Line& b,
                CountedPairs* counted = nullptr) {
  if (a.words == nullptr || b.words == nullptr) {
    return a.words == b.words;
  }
  if (a.length == b.length && std::memcmp(a.text, b.text, a.length) == 0) {
    return true;
  }
  const std::uint32_t count = a.words->wordCount;
  if (count != b.words->wordCount) {
    return false;
  }
  for (std::uint32_t k = equalLeadingWords(a, b); k < count; ++k) {
    const WordJudgement judged = judgePair(run, a, k, b, k);
    if (!judged.same()) {
      return false;
    }
    if (counted != nullptr && judged.kind != WordJudgement::Kind::kEqualText) {
      if (counted->count == CountedPairs::kMost) {
        counted->whole = false;
      } else {
        counted->at[counted->count] = k;
        counted->judged[counted->count++] = judged;
      }
    }
  }
  return true;
}

void standOnWord(RunState& run, Side side, const Line& line, std::uint32_t k) {
  ReaderPosition& pos = position(run, side);
  const WordRecord& word = line.words->words[k];
  pos.tokenStart = line.start + word.at;
  pos.tokenLength = word.length;
  pos.atLineEnd = false;
}

// On the line end of the current line, as nextToken reads it.
void standOnLineEnd(RunState& run, Side side, const FileLines& file) {
  ReaderPosition& pos = position(run, side);
  pos.tokenStart = file.current.start + file.current.words->endAt;
  pos.tokenLength = file.current.words->endLength;
  pos.lineCount = file.lineCount;
  bump(pos.lineCount);
  pos.atLineEnd = true;
}

// On the token after the current line's line end, as nextToken leaves it.
void standAfterLine(RunState& run, Side side, const FileLines& file) {
  ReaderPosition& pos = position(run, side);
  const Token& after = file.current.after;
  pos.tokenStart = after.start;
  pos.tokenLength = after.length;
  pos.lineCount = file.lineCount;
  bump(pos.lineCount);
  pos.atLineEnd = after.kind == Token::Kind::kLineEnd;
  if (pos.atLineEnd) {
    bump(pos.lineCount);
  }
}

// The word checkpoint on word i of file 1 and word j of file 2 with
// `counts`, as
// compareLineWords saves it before comparing that pair. Moves both files
// there.
void markWordPair(RunState& run, const FileLines& one, std::uint32_t i,
                  const FileLines& two, std::uint32_t j, WordCounts counts) {
  standOnWord(run, Side::kOne, one.current, i);
  standOnWord(run, Side::kTwo, two.current, j);
  std::swap(run.counters.words, counts);
  saveCheckpoint(run, Checkpoint::kWordStart);
  std::swap(run.counters.words, counts);
}

// compareWords on word i of file 1 and word j of file 2, judged already,
// without moving on.
bool countPair(RunState& run, const FileLines& one, std::uint32_t i,
               const FileLines& two, std::uint32_t j,
               const WordJudgement& judged) {
  standOnWord(run, Side::kOne, one.current, i);
  standOnWord(run, Side::kTwo, two.current, j);
  return countJudgement(run, judged);
}

// Adds the words of file `side`'s current line from word k on as extra
// words, as collectRestOfLine does, and passes its line end.
void collectRecordedWords(RunState& run, Side side, const FileLines& file,
                          std::uint32_t k) {
  for (; k < file.current.words->wordCount; ++k) {
    standOnWord(run, side, file.current, k);
    appendDiffWords(run, side);
    bump(run.counters.words.wordDiffCount);
  }
  standAfterLine(run, side, file);
}

// compareLineWords on the current line pair, from the records, step for
// step: the same counts, pending words and records, and the files left
// after the pair.
void compareRecordedWords(RunState& run, const FileLines& one,
                          const FileLines& two) {
  const Line& a = one.current;
  const Line& b = two.current;
  const std::uint32_t n1 = a.words->wordCount;
  const std::uint32_t n2 = b.words->wordCount;
  // Word pairs that read the same byte for byte change nothing; the word
  // checkpoint is left on the last pair compared, as comparing them would
  // leave it.
  std::uint32_t i = equalLeadingWords(a, b);
  std::uint32_t j = i;
  // The last pair compared, with the counts before it.
  std::uint32_t markI = i - 1;
  std::uint32_t markJ = j - 1;
  WordCounts markCounts = run.counters.words;
  // The judgement of the pair (i, j) when a trial made it already.
  std::optional<WordJudgement> judged;
  while (i < n1 && j < n2) {
    markI = i;
    markJ = j;
    markCounts = run.counters.words;
    const WordCounts saved = run.counters.words;
    const std::size_t keep = run.pending.diffText(Side::kOne).length;
    const bool same =
        countPair(run, one, i, two, j,
                  judged.has_value() ? *judged : judgePair(run, a, i, b, j));
    judged.reset();
    ++i;
    ++j;
    if (same || (i == n1 && j == n2)) {
      continue;
    }
    // A changed word when the next pair matches; a word pair with a line
    // end never does.
    if (i < n1 && j < n2) {
      judged = judgePair(run, a, i, b, j);
      if (judged->same()) {
        countPair(run, one, i, two, j, *judged);
        judged.reset();
        ++i;
        ++j;
        continue;
      }
    }
    // An extra word in file 1, then in file 2: the pair's count is taken
    // back and the extra word counted and listed alone.
    const bool extraOne = i < n1 && judgePair(run, a, i, b, j - 1).same();
    if (extraOne || (j < n2 && judgePair(run, a, i - 1, b, j).same())) {
      run.counters.words = saved;
      truncateDiff(run, keep);
      bump(run.counters.words.wordDiffCount);
      standOnWord(run, Side::kOne, a, i - 1);
      standOnWord(run, Side::kTwo, b, j - 1);
      if (extraOne) {
        appendDiffWords(run, Side::kOne);
        --j;
      } else {
        appendDiffWords(run, Side::kTwo);
        --i;
      }
      judged.reset();
    }
    // Otherwise the pair is a changed word, as counted.
  }
  if (markI < n1) {  // not when no pair was compared
    markWordPair(run, one, markI, two, markJ, markCounts);
  }
  // Words left on the longer line are extra words.
  if (i < n1) {
    standOnLineEnd(run, Side::kTwo, two);
  }
  collectRecordedWords(run, Side::kOne, one, i);
  collectRecordedWords(run, Side::kTwo, two, j);
}

// Where the trial that matched, on `lines` of files 1 and 2 (none when no
// trial ran), leaves the word checkpoint: on the last word pair of the two
// lines, which hold as many words. The plain step takes the trial back
// through the line checkpoint, so nothing else of it stays; the word
// checkpoint's counts are saved again before they are read.
void markMatchingTrial(RunState& run, const BySide<const Line*>& lines) {
  if (lines[Side::kOne] == nullptr) {
    return;
  }
  for (const Side side : kBothSides) {
    const Line& line = *lines[side];
    ReaderPosition& pos = position(run, side);
    // The trial's first word.
    pos = checkpointPosition(run, Checkpoint::kLineStart, side);
    standOnWord(run, side, line, line.words->wordCount - 1);
  }
  savePositions(run, Checkpoint::kWordStart);
  restoreCheckpoint(run, Checkpoint::kLineStart);
}

enum class Outcome { kSame, kChangedLine, kExtraOne, kExtraTwo };

// The counters a step may add to stay below their largest value, so that
// every count the plain step makes shows as a change.
constexpr std::int32_t kCountRoom = 4 * kMaxRecordedWords;

bool countersHaveRoom(const RunState& run) {
  const WordCounts& counts = run.counters.words;
  return counts.wordDiffCount < INT32_MAX - kCountRoom &&
         counts.numericDiffCount < INT32_MAX - kCountRoom;
}

}  // namespace

bool takeLinePairFromRecords(RunState& run) {
  if (run.settings.wordMode || !countersHaveRoom(run)) {
    return false;
  }
  if (position(run, Side::kOne).atLineEnd ||
      position(run, Side::kTwo).atLineEnd) {
    return false;
  }
  BySide<int> kept;
  kept[Side::kOne] = keptCurrent(run, Side::kOne);
  kept[Side::kTwo] = keptCurrent(run, Side::kTwo);
  FileLines one;
  FileLines two;
  if (!openCurrent(run, Side::kOne, one, kept[Side::kOne]) ||
      !openCurrent(run, Side::kTwo, two, kept[Side::kTwo])) {
    return false;
  }
  // The outcome, decided before anything changes.
  Outcome outcome = Outcome::kChangedLine;
  CountedPairs counted;
  // The lines of the trial that matched, when one ran.
  BySide<const Line*> trialLines{};
  if (linesMatch(run, one.current, two.current, &counted)) {
    outcome = Outcome::kSame;
  } else if (one.current.after.kind != Token::Kind::kLineEnd ||
             two.current.after.kind != Token::Kind::kLineEnd) {
    // Not both next lines blank: the trials read both next lines.
    if (!openNext(run, Side::kOne, one) || !openNext(run, Side::kTwo, two)) {
      return false;
    }
    if (linesMatch(run, one.next, two.next)) {
      outcome = Outcome::kChangedLine;
      trialLines = {&one.next, &two.next};
    } else if (linesMatch(run, one.next, two.current)) {
      outcome = Outcome::kExtraOne;
      trialLines = {&one.next, &two.current};
    } else if (linesMatch(run, one.current, two.next)) {
      outcome = Outcome::kExtraTwo;
      trialLines = {&one.current, &two.next};
    } else if (run.settings.lookahead > 1) {
      return false;  // the look-ahead looks for a block of extra lines
    }
  }

  bump(run.counters.linesCompared);
  saveCheckpoint(run, Checkpoint::kLineStart);  // before the pair
  switch (outcome) {
    case Outcome::kSame:
      if (counted.whole) {
        // Every pair counts as the same: only the unequal texts count, and
        // the word checkpoint stays on the last pair.
        const std::uint32_t last = one.current.words->wordCount - 1;
        WordCounts markCounts = run.counters.words;
        for (std::uint32_t k = 0; k < counted.count; ++k) {
          if (counted.at[k] == last) {
            markCounts = run.counters.words;
          }
          countPair(run, one, counted.at[k], two, counted.at[k],
                    counted.judged[k]);
        }
        if (counted.count == 0 || counted.at[counted.count - 1] != last) {
          markCounts = run.counters.words;
        }
        markWordPair(run, one, last, two, last, markCounts);
        standAfterLine(run, Side::kOne, one);
        standAfterLine(run, Side::kTwo, two);
      } else {
        compareRecordedWords(run, one, two);
      }
      listDifference(run, std::nullopt);
      break;
    case Outcome::kChangedLine:
      compareRecordedWords(run, one, two);
      copyCheckpoint(run, Checkpoint::kLineStart, Checkpoint::kPairStart);
      saveCheckpoint(run, Checkpoint::kLineStart);  // after the pair
      markMatchingTrial(run, trialLines);
      listDifference(run, std::nullopt);
      bump(run.counters.linesDiffered);
      break;
    case Outcome::kExtraOne:
    case Outcome::kExtraTwo: {
      const bool extraOne = outcome == Outcome::kExtraOne;
      const Side extra = extraOne ? Side::kOne : Side::kTwo;
      copyCheckpoint(run, Checkpoint::kLineStart, Checkpoint::kPairStart);
      clearDiff(run);
      collectRecordedWords(run, extra, extraOne ? one : two, 0);
      saveCheckpoint(run, Checkpoint::kLineStart);  // after the extra line
      markMatchingTrial(run, trialLines);
      listExtraLine(run, extra);
      break;
    }
  }
  return true;
}
