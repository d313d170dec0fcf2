// The results model of a suite run: one record per report pair and the
// facts of the run. The runner fills it; every exporter (console, JSON,
// JUnit, HTML) is a pure function of it, and --merge reads JSON results back
// into it, so every report can be made from shards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zudiz/zudiz.h"

namespace suite {

enum class PairStatus { kSame, kDifferent, kMissing, kError };

// One side's file as the run found it, so that --accept can tell whether it
// changed since. `path` is where the file is or would be (also when it is
// missing); size and time are known only when it existed as a regular file.
struct FileFacts {
  std::string path;
  bool exists = false;
  std::int64_t size = 0;
  std::int64_t mtimeNs = 0;  // last modification, ns since 1970 UTC
};

// What a pair is before it runs: its name, where its files are and what
// the plan already knows (a missing or failing side). The runner's plans
// hold only this, so that a suite of any size is planned in little memory.
struct PairFacts {
  // The relative path (folder mode) or the list line's first path.
  std::string name;
  std::string baseline;   // path of the baseline file ("" when it is missing)
  std::string candidate;  // path of the candidate file ("" when it is missing)
  // This pair's own switches (list mode), after the global ones.
  std::string switches;
  PairStatus status = PairStatus::kError;
  std::string message;     // missing / error: what happened, one line
  std::int64_t bytes = 0;  // bytes of both files read
  // What stood at each side when the pairs were planned; empty paths in
  // results of older versions.
  FileFacts baselineFile, candidateFile;
};

struct PairResult : PairFacts {
  double seconds = 0;
  zudiz::Result result;  // the comparison (counts, listing, numbers, output)
};

// The little a run keeps in memory of each pair once its full record is
// spooled: enough for the totals and for choosing what a bounded report
// shows first.
struct PairBrief {
  PairStatus status = PairStatus::kError;
  bool onlyInCandidate = false;
  bool listed = false;  // the listing holds at least one pair of lines
  // How much changed: lines that differ plus surplus lines.
  std::int64_t change = 0;
};

PairBrief briefOf(const PairResult& pair);

// The pairs of a run as the exporters read them, in pair order: from memory
// (VectorPairs) or from the spool a run writes them to (PairSpool). at()
// throws std::runtime_error when a stored record cannot be read back.
class PairSource {
 public:
  virtual ~PairSource() = default;
  virtual std::size_t size() const = 0;
  virtual PairResult at(std::size_t index) const = 0;
  virtual PairBrief brief(std::size_t index) const = 0;
};

// The pairs of a vector, which must outlive it.
class VectorPairs : public PairSource {
 public:
  explicit VectorPairs(const std::vector<PairResult>& pairs) : pairs_(pairs) {}
  std::size_t size() const override { return pairs_.size(); }
  PairResult at(std::size_t index) const override { return pairs_[index]; }
  PairBrief brief(std::size_t index) const override {
    return briefOf(pairs_[index]);
  }

 private:
  const std::vector<PairResult>& pairs_;
};

// Where an exporter writes its text, piece by piece.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual void write(std::string_view text) = 0;
};

// A sink that collects the text in memory.
class StringSink : public TextSink {
 public:
  void write(std::string_view text) override { text_ += text; }
  std::string& text() { return text_; }

 private:
  std::string text_;
};

struct Totals {
  std::int64_t pairs = 0, same = 0, different = 0, missing = 0, error = 0;
  // Missing pairs that --allow-added lets pass (only in candidate); they
  // are counted in `missing` too.
  std::int64_t allowed = 0;
};

struct SuiteRun {
  std::string version;    // zudiz::kVersion
  std::string switches;   // the global switches
  std::string baseline;   // folder, file or list file
  std::string candidate;  // folder or file ("" in list mode)
  std::string shard = "1/1";
  bool allowAdded = false;  // --allow-added: only-in-candidate pairs pass
  // A partial merge: the shards it holds ("1/6", "3/6"), in order; empty
  // for any other run.
  std::vector<std::string> shards;
  // --numbers: the number records kept per pair (kAllNumbers for all); no
  // value in a record written before the run kept it.
  std::optional<std::size_t> numbersCap;
  // --lookahead: the lines the alignment looked ahead (1: the program's
  // rules, also for a record that does not say).
  int lookahead = 1;
  std::string date;  // when the run started, ISO 8601 UTC
  double seconds = 0;
  std::vector<PairResult> pairs;  // in sorted name order
};

Totals totalsOf(const SuiteRun& run);
// The totals of `pairs`; `allowAdded` as in SuiteRun.
Totals totalsOf(const PairSource& pairs, bool allowAdded);

// True for a missing pair whose file is only in the candidate, or only in
// the baseline.
bool onlyInCandidate(const PairFacts& pair);
bool onlyInBaseline(const PairFacts& pair);

// "same", "different", "missing", "error".
const char* statusName(PairStatus status);
// The status of a name statusName gives; false for any other text.
bool parseStatus(std::string_view name, PairStatus* status);

// The suite's exit status for these totals: 2 when any pair is an error,
// else 1 when any is different or missing (not counting those `allowed`),
// else 0.
int exitStatusOf(const Totals& totals);

// The order of pairs in every report: by name, then baseline, candidate and
// switches, comparing bytes. Shards are cut from this order.
bool pairBefore(const PairFacts& a, const PairFacts& b);
void sortPairs(std::vector<PairResult>& pairs);

// Keeps at most `cap` of the number records of `result`: those with the
// largest relative difference, ties in file order, and leaves them in that
// order. Sets numbersCut when any record is dropped (it stays set when the
// library already dropped some). The histogram is left as it is.
inline constexpr std::size_t kAllNumbers = zudiz::kAllNumbers;
void keepLargestNumbers(zudiz::Result& result, std::size_t cap);

// Reads a shard "K/N" (1 <= K <= N, no blanks); false for any other text.
bool parseShard(std::string_view text, int* index, int* count);

// Adds every count of `from` to `into`.
void addHistogram(zudiz::Histogram& into, const zudiz::Histogram& from);

// Combines the results of shards of one suite into the run that would have
// done all of them: every pair in pair order, the facts of the first run,
// the longest time (shards run side by side), the earliest start and the
// smaller of the records' --numbers and `numbersCap` (none when the records
// do not say). Every shard K/N for K
// from 1 to N must be there exactly once, all with the same version,
// switches, baseline, candidate and --numbers; else returns false with
// `error` set to one line that names what is missing or differs. With
// `allowPartial`, missing shards are no error: the run then lists the
// shards it holds in `shards` (and in `shard`, "1/6,3/6"). A partial run
// merges again like the shards it holds.
bool mergeRuns(std::vector<SuiteRun> runs, bool allowPartial,
               std::size_t numbersCap, SuiteRun* merged, std::string* error);

// "partial: 2 of 6 shards" for a partial merge, else "".
std::string partialText(const SuiteRun& run);

}  // namespace suite
