// ZUDIZ as a library: one comparison of two VAV reports as a function call
// that returns data instead of printing a listing and ending the process.
//
// A call runs the same engine as the zudiz program, on the calling thread,
// with its own state: any number of calls may run at once on different
// threads, and none of them touches process-wide state (current directory,
// environment, console, signals). `Result::output` holds exactly the bytes
// the program would write for the same files and switches.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The verdict on two unequal numbers, shared with the engine:
// Verdict::kListed (counted as a numeric difference), Verdict::kTiny
// (excused: below 0.1 %), Verdict::kLastPlace (excused: in the last written
// decimal place only) and Verdict::kWithinTolerance (not counted: within the
// /IGNORE tolerance); kVerdicts counts them. Installed as
// zudiz/core/verdict.h, where this include finds it beside this header.
#include "core/verdict.h"

namespace zudiz {

// The library's version, the same as the program's.
inline constexpr std::string_view kVersion = "1.0";

enum class Status { kSame, kDifferent, kError };

struct Counts {  // what the summary reports, as numbers
  // > 0: file 1 has more lines at the end, < 0: file 2
  std::int64_t surplusLines = 0;
  std::int64_t linesCompared = 0;
  std::int64_t linesDiffered = 0;
  std::int64_t wordDifferences = 0;     // non-numeric
  std::int64_t numericDifferences = 0;  // listed numeric differences
  std::int64_t tinyExcused = 0;         // excused: below 0.1 %
  // excused: last written decimal place only
  std::int64_t lastPlaceExcused = 0;

  friend bool operator==(const Counts&, const Counts&) = default;
};

// The longest line text a ListedPair holds; a longer line is cut.
inline constexpr std::size_t kMaxLineText = 1024;

// A listed word where it stands in its whole line: it is printed at
// `column` of the listed text (text1 or text2) and is the `length` bytes
// from `start` of the line text (lineText1 or lineText2).
struct ListedWord {
  std::size_t column = 0;
  std::size_t start = 0;
  std::size_t length = 0;

  friend bool operator==(const ListedWord&, const ListedWord&) = default;
};

// One pair of lines of the listing, with where each side stands in its
// report. A side "has a line" when the listing shows a line number for it.
struct ListedPair {
  std::int64_t line1 = 0, line2 = 0;  // 0 where the listing shows no number
  int extra = 0;                      // 1 or 2: the file marked " + ", else 0
  std::string text1, text2;           // the words as listed, without the prefix
  // The page each side stands on, from 1; 0 for a side without a line.
  std::int64_t page1 = 0, page2 = 0;
  // The whole line as the comparison read it (report bytes, without its line
  // end, page heads and foot lines as trimmed, plot sections, trailing codes
  // and hidden lines removed), cut at kMaxLineText bytes. Empty for a side
  // without a line, and in the rare case that the comparison's window no
  // longer held the line when it was listed.
  std::string lineText1, lineText2;
  // Up to CompareOptions::contextLines lines before it on the same page that
  // the window still held, oldest first, each cut like the line.
  std::vector<std::string> context1, context2;
  // The listed words of each side found in its line text, in the order
  // listed: a word the comparison read on another line (in word mode, or
  // collected after its line ended) or beyond the cut is left out.
  std::vector<ListedWord> words1, words2;

  friend bool operator==(const ListedPair&, const ListedPair&) = default;
};

// Number pairs are those the comparison keeps: a look-ahead that tries other
// alignments and goes back records nothing, so the pairs of each verdict
// match the counts (kListed: numericDifferences, kTiny: tinyExcused,
// kLastPlace: lastPlaceExcused). Values are as compared (rounded to four
// decimals); line numbers count from 1. Words whose values are equal (1.0
// and 1.00) are no number pair.
struct NumberPair {  // two numbers that were not equal
  double value1 = 0, value2 = 0;
  std::int64_t line1 = 0, line2 = 0;
  Verdict verdict = Verdict::kListed;

  friend bool operator==(const NumberPair&, const NumberPair&) = default;
};

// Every unequal number pair met, counted by the size of its relative
// difference (relativeDifference) and by verdict. Bucket 0 holds
// differences below 1e-9; bucket i (1..9) those from 1e-(10-i) up to the next
// power of ten; bucket 10 those of 1 (100 %) and more.
inline constexpr int kHistogramBuckets = 11;
struct Histogram {
  std::array<std::array<std::int64_t, kVerdicts>, kHistogramBuckets> counts{};

  friend bool operator==(const Histogram&, const Histogram&) = default;
};

// The lower bound of bucket `bucket`: 0, 1e-9, 1e-8, ..., 0.1, 1.
double histogramLowerBound(int bucket);
// The bucket of a relative difference (0 <= relative, at most 2); NaN falls
// in the last bucket.
int histogramBucket(double relative);
// The relative difference of two numbers as the rule that excuses tiny
// differences measures it: |a - b| divided by the mean magnitude
// (|a| + |b|) / 2; 0 when both are 0, at most 2. A difference is excused as
// below 0.1 % exactly when this is below 0.001.
double relativeDifference(double a, double b);

// The /IGNORE tolerance a comparison applied: numbers within it count as
// equal. kRelative: `value` is a fraction of the mean magnitude (0.0001 for
// 0.01 %); kAbsolute: `value` is the largest difference let through.
struct Tolerance {
  enum class Kind { kNone, kRelative, kAbsolute };
  Kind kind = Kind::kNone;
  double value = 0;

  friend bool operator==(const Tolerance&, const Tolerance&) = default;
};

struct Result {
  Status status = Status::kError;
  std::string message;  // kError: the one-line message, without "*** "
  std::string output;   // exactly the bytes the program would write
  Counts counts;
  std::vector<ListedPair> pairs;  // as listed (so at most the /VERBOSE cap)
  // Unequal number pairs met, in file order: all of them, or when more were
  // met than CompareOptions::maxNumbers, that many with the largest relative
  // differences (ties: the first met).
  std::vector<NumberPair> numbers;
  bool numbersCut = false;  // more were met than kept
  Histogram histogram;      // every unequal number pair met, uncapped
  // The unequal number pair with the largest relative difference met in the
  // whole comparison, whatever was kept (ties: the first met); none when no
  // unequal numbers were met.
  std::optional<NumberPair> largest;
  // The tolerance the switches set; none when the run ended before they
  // were read.
  Tolerance tolerance;

  friend bool operator==(const Result&, const Result&) = default;
};

inline constexpr std::size_t kMaxNumbers = 10000;
// CompareOptions::maxNumbers that keeps every number pair.
inline constexpr std::size_t kAllNumbers =
    std::numeric_limits<std::size_t>::max();
inline constexpr int kMaxContextLines = 10;
inline constexpr int kMaxLookahead = 50;

// What a call collects beside the comparison, and how far its alignment
// looks ahead; with `lookahead` 1 the comparison and `output` are exactly
// the program's.
struct CompareOptions {
  // Lines before each listed line to keep as its context, 0 to
  // kMaxContextLines (values outside are taken as the nearer end).
  int contextLines = 2;
  // Number pairs kept in Result::numbers. Each kept pair costs about 40
  // bytes; kAllNumbers keeps every one, so memory grows with the unequal
  // numbers of the files.
  std::size_t maxNumbers = kMaxNumbers;
  // Lines the alignment looks ahead, 1 to kMaxLookahead (values outside are
  // taken as the nearer end). 1 keeps the program's rules: after a
  // differing line pair it tries only one extra line in either file, so
  // two or more inserted lines leave every later pair of the page one row
  // off. With N > 1, where those trials find nothing, the lines up to N
  // ahead in each file are searched for the smallest block of k lines
  // (2 <= k <= N; file 1's block first for the same k) after which a line
  // and the line after it read the same as the other file's two lines; the
  // k lines are then listed and counted as k extra lines, and the comparison
  // goes on in step. Only lines that the comparison's fixed window holds
  // from the differing line on are searched: a longer block is compared as
  // with 1. Word mode (/WORD) is not affected.
  int lookahead = 1;
};

// `switches`: the program's own switch words ("/IGNORE%:1 /SKIPF:3"), read
// exactly as the program reads them after the file names.
//
// The file names are taken whole (a slash in them starts no switch) and
// opened whole, whatever their length; the output shows them upper-cased and,
// like every name of the program, cut to 256 characters. On Windows they stay
// in the caller's (ANSI) code page: the program alone converts its command line
// to OEM. Status kError (message "Usage text requested by a switch" or "No
// report file named: usage text printed") also comes for /? and /HELP and for
// two empty names, with the usage text in `output`. On kError, `counts`,
// `pairs` and `numbers` hold what the run had met when it ended. Out of memory
// is kError "Not enough memory" (the program prints nothing then);
// std::bad_alloc escapes only when even that result cannot be made.
Result compareFiles(std::string_view file1, std::string_view file2,
                    std::string_view switches = {},
                    const CompareOptions& options = {});
// The same on texts in memory; the labels stand where the file names would
// (an empty label is a missing name). The texts are read only during the
// call.
Result compareTexts(std::string_view text1, std::string_view text2,
                    std::string_view switches = {},
                    std::string_view label1 = "FILE1",
                    std::string_view label2 = "FILE2",
                    const CompareOptions& options = {});

}  // namespace zudiz
