// Records of a run for a caller that wants data as well as the listing: each
// pair of lines the listing prints and each pair of unequal numbers the
// comparison meets, with its verdict. The program attaches nothing and pays
// one test of a null pointer per listed pair, per unequal word pair and per
// line pair; the library attaches a collector (RunState::records).
//
// The alignment compares for real and takes back what a trial counted by
// restoring the counters from a checkpoint. Number records follow the counters:
// numbersMet, one of the word-level counters, gives each record its index,
// so a record made after a trial was taken back reuses the index of the
// first one it took back. The alignment settles the records at each step:
// the ones below the count at that moment are final.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/run_state.h"
#include "core/verdict.h"

// The engine names the verdict on two unequal numbers as the library does.
using zudiz::Verdict;

// The most lines of context a collector may ask for before a listed line.
inline constexpr int kMaxContextLines = 10;

// Where one side of a listed pair stands in its report, read from the page
// buffer as the listing prints the pair: views into the window, valid only
// during the listedPair call.
struct ListedLine {
  std::int64_t page = 0;  // the page (from 1) the file stands on; 0: no line
  // The whole line as the comparison read it, without its line end; empty
  // when the window no longer (or not yet) holds it.
  std::string_view text;
  // Up to the collector's contextLines lines before it on its page that the
  // window still holds, oldest first.
  std::array<std::string_view, kMaxContextLines> before{};
  int beforeCount = 0;
  // Where the pending text's words were read, `wordCount` of them; the
  // listed text starts at column `firstColumn` of that text (later columns
  // in word mode). Spots of other lines than this one may be among them.
  const WordSpot* words = nullptr;
  std::uint32_t wordCount = 0;
  std::uint32_t firstColumn = 0;
};

class RunRecords {
 public:
  virtual ~RunRecords() = default;

  // A pair the listing printed: the line numbers shown (0 where none is
  // shown), the file marked " + " (none for a changed pair), the texts as
  // printed after the prefix, and each side's line with its context.
  virtual void listedPair(std::uint32_t line1, std::uint32_t line2,
                          std::optional<Side> extra, std::string_view text1,
                          std::string_view text2,
                          const std::array<ListedLine, 2>& lines) = 0;

  // Unequal numbers met: record number `index` (from 0). Every record from
  // `index` on that came before this one has been taken back.
  virtual void numberPair(std::int64_t index, double value1, double value2,
                          std::int64_t line1, std::int64_t line2,
                          Verdict verdict) = 0;

  // Records below `count` are final; the rest were taken back.
  virtual void settle(std::int64_t count) = 0;

  // Lines of context wanted before each listed line, 0 to kMaxContextLines.
  int contextLines = 0;
};

// Called where the verdict on two unequal words read as numbers is decided:
// records the pair when a collector is attached and the values differ.
// `line1` and `line2` are the numbers of the lines the two words stand on.
inline void recordNumbersOn(RunState& run, double value1, double value2,
                            std::int64_t line1, std::int64_t line2,
                            Verdict verdict) {
  if (run.records == nullptr || value1 == value2) {
    return;
  }
  std::int64_t& met = run.counters.words.numbersMet;
  run.records->numberPair(met, value1, value2, line1, line2, verdict);
  ++met;
}

// recordNumbers for the current words of both files.
inline void recordNumbers(RunState& run, double value1, double value2,
                          Verdict verdict) {
  recordNumbersOn(run, value1, value2,
                  std::int64_t{position(run, Side::kOne).lineCount} + 1,
                  std::int64_t{position(run, Side::kTwo).lineCount} + 1,
                  verdict);
}

// Called by the alignment before each step: what it counted so far stays.
inline void settleRecords(RunState& run) {
  if (run.records != nullptr) {
    run.records->settle(run.counters.words.numbersMet);
  }
}
