// Which report pairs a suite compares: the files of two folders matched by
// relative path, two single files, or the lines of a pair list. Called once
// by the suite's main before any comparison starts; looks at the file system
// (names, types and sizes) but opens no report.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
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
std::vector<PairPlan> pairFolders(const std::string& baseline,
                                  const std::string& candidate,
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
std::vector<PairPlan> pairList(std::string_view text,
                               const std::string& folder);

// The pairs whose position in `plans` (in pair order, counted from 0) is
// `index` - 1 modulo `count`.
std::vector<PairPlan> selectShard(std::vector<PairPlan> plans, int index,
                                  int count);

// Sorts plans into pair order.
void sortPlans(std::vector<PairPlan>& plans);

}  // namespace suite
