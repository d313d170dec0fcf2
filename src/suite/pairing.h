// Which report pairs a suite compares: the files of two folders matched by
// relative path, two single files, or the lines of a pair list. Called once
// by the suite's main before any comparison starts; looks at the file system
// (names, types and sizes) but opens no report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "suite/results.h"

namespace suite {

// One pair of the suite before it runs. Pairs that cannot be compared
// (missing, not a regular file, a bad list line) already carry their final
// status and message; the others are compared with `row.switches`.
struct PairPlan {
  PairFacts row;           // name, paths, switches, bytes (sizes of both)
  bool toCompare = false;  // false: `row` is already the result
};

// The plans of a suite, kept small so that a suite of any size is planned
// in little memory: one fixed record a pair, its texts one after the other
// in one block, switches kept once for all the pairs that share them, and
// a path that is a root joined with the pair's name not kept at all (it is
// made again when the plan is taken). About 90 bytes a pair of folder mode.
class PlanList {
 public:
  PlanList() = default;
  // Plans of two folders: a path that is a root joined with the pair's
  // name (see pairFolders) is made from the root when needed.
  PlanList(std::string baselineRoot, std::string candidateRoot);

  // Stores a plan after the others. REQUIRES: each side's path in `row`
  // (row.baseline, row.candidate) is "" or that side's FileFacts path, as
  // every plan made here has it; std::invalid_argument otherwise.
  void add(const PairPlan& plan);

  std::size_t size() const { return records_.size(); }
  bool empty() const { return records_.empty(); }
  // The whole plan at `index`, made anew.
  PairPlan operator[](std::size_t index) const;
  std::string_view name(std::size_t index) const;
  std::int64_t bytes(std::size_t index) const { return records_[index].bytes; }
  const std::string& switches(std::size_t index) const {
    return switches_[records_[index].switches];
  }
  void setSwitches(std::size_t index, const std::string& switches);

  // Keeps only the plans whose position is `index` - 1 modulo `count`.
  void keepShard(int index, int count);
  // Puts the plans in pair order (see sortPairs); equal ones keep theirs.
  void sort();

  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = PairPlan;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = PairPlan;
    Iterator(const PlanList* list, std::size_t at) : list_(list), at_(at) {}
    PairPlan operator*() const { return (*list_)[at_]; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }
    bool operator!=(const Iterator& other) const { return at_ != other.at_; }

   private:
    const PlanList* list_;
    std::size_t at_;
  };
  Iterator begin() const { return Iterator(this, 0); }
  Iterator end() const { return Iterator(this, size()); }

 private:
  // What a record knows of one side's file.
  struct Side {
    std::uint32_t pathSize = 0;  // kJoined: the root joined with the name
    bool present = false;        // the row names the path (row.baseline)
    bool exists = false;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
  };
  struct Record {
    std::uint64_t text = 0;  // where the name, message and paths start
    std::uint32_t nameSize = 0;
    std::uint32_t messageSize = 0;
    std::uint32_t switches = 0;  // index into switches_
    PairStatus status = PairStatus::kError;
    bool toCompare = false;
    std::int64_t bytes = 0;
    Side sides[2];
  };
  static constexpr std::uint32_t kJoined = 0xFFFFFFFF;

  std::uint32_t switchesIndex(const std::string& switches);
  std::string pathOf(const Record& record, int side) const;

  std::string roots_[2];
  std::string text_;
  std::vector<Record> records_;
  std::vector<std::string> switches_{""};
  std::unordered_map<std::string, std::uint32_t> switchesAt_{{"", 0}};
};

// True when `name` matches the shell wildcard `pattern`: `*` any run of
// characters, `?` one character, `[abc]`, `[a-z]` and `[!a-z]` one of a set,
// `\` takes the next character as it is. Neither `*` nor `?` nor a set
// matches a `/`; a `**` that is a whole folder name of the pattern matches
// any run of folders, also none: `level2/**/*.rpt` matches `level2/a.rpt`
// and `level2/x/y/a.rpt`, and `sub/**` every file under `sub`.
bool matchWildcard(std::string_view pattern, std::string_view name);

// True when the file at relative path `path` ('/' between folders) passes
// the filters: no patterns, or any pattern matching its file name (or its
// whole relative path, for a pattern that holds a '/').
bool passesGlobs(const std::vector<std::string>& globs, std::string_view path);

// Pairs every file under the folder `baseline` with the file of the same
// relative path under `candidate`. A file on one side only is missing; an
// entry that is not a regular file (a FIFO, a broken link, a folder facing a
// file) and a folder that cannot be read are errors. Links to folders are
// not followed. The pairs come in pair order (see sortPairs).
PlanList pairFolders(const std::string& baseline, const std::string& candidate,
                     const std::vector<std::string>& globs);

// What stands at `path` now, following links: size and modification time
// when it is a regular file, `exists` false otherwise.
FileFacts factsOf(const std::string& path);

// The one pair of two files; a file that does not exist makes it missing.
PairPlan pairFiles(const std::string& baseline, const std::string& candidate);

// One line of a pair list split into words: blanks separate words, double
// quotes keep blanks inside a word and are removed. Returns false when a
// quote is left open.
bool splitListLine(std::string_view line, std::vector<std::string>* words);

// One line of a pair list that is not blank or a comment, as read.
struct ListLine {
  int line = 0;  // its number in the list, from 1
  // The two paths as the list gives them; both "" when the line holds no
  // pair (then `error` says why).
  std::string baseline, candidate;
  std::string switches;  // the line's own switches, one blank between words
  std::string error;     // why the line cannot be compared, or ""
};

// Reads a pair list's text: each line `BASELINE CANDIDATE [switches...]`;
// blank lines and lines that start with '#' are skipped, and so is a UTF-8
// byte order mark at the start. A line with fewer than two words, an empty
// name or an open quote holds no pair; a line whose switches the program
// refuses keeps its pair with an error such as `line 7: Bad switch "/FOO"`.
// Touches no file; any text gives lines or errors, never a failure.
std::vector<ListLine> readPairList(std::string_view text);

// The pairs of a list file's text (see readPairList), in pair order, paths
// relative to `folder` unless absolute. A line that holds no pair is an
// error row named after its line number ("line 7"); a name the list gives
// on more than one line gets its line number too ("beams.rpt (line 7)"), so
// that every pair has a name of its own. A pair whose two files do not
// exist is an error ("neither file exists"); one whose file on one side
// does not exist is missing, the message naming that file as the list gives
// it; the one file on both sides is an error.
PlanList pairList(std::string_view text, const std::string& folder);

// The pairs whose position in `plans` (in pair order, counted from 0) is
// `index` - 1 modulo `count`.
PlanList selectShard(PlanList plans, int index, int count);

// Sorts plans into pair order.
void sortPlans(std::vector<PairPlan>& plans);

}  // namespace suite
