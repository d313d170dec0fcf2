#include "suite/pairing.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <utility>

#include "host/system.h"
#include "zudiz/zudiz.h"

namespace suite {
namespace {

namespace fs = std::filesystem;

// What a folder walk found at one relative path.
enum class EntryKind { kFile, kFolder, kOther, kBrokenLink, kUnreadable };

struct Entry {
  EntryKind kind = EntryKind::kFile;
  std::int64_t size = 0;
  std::string detail;  // kUnreadable: why
  std::int64_t mtimeNs = 0;
};

// The facts of one side of a pair from what the walk or a look found.
FileFacts factsFrom(std::string path, const std::optional<Entry>& entry) {
  FileFacts facts;
  facts.path = std::move(path);
  if (entry && entry->kind == EntryKind::kFile) {
    facts.exists = true;
    facts.size = entry->size;
    facts.mtimeNs = entry->mtimeNs;
  }
  return facts;
}

using Tree = std::map<std::string, Entry>;

// Matches one set such as "[a-z]" or "[!0-9]" at the start of `pattern`
// against `c`. Returns the length of the set in the pattern, or 0 when the
// set is not closed (the '[' is then taken as itself).
std::size_t matchSet(std::string_view pattern, char c, bool* matched) {
  std::size_t i = 1;
  bool negate = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
  if (negate) {
    ++i;
  }
  bool found = false;
  bool firstMember = true;
  while (i < pattern.size() && (pattern[i] != ']' || firstMember)) {
    firstMember = false;
    char low = pattern[i];
    char high = low;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' &&
        pattern[i + 2] != ']') {
      high = pattern[i + 2];
      i += 2;
    }
    auto u = static_cast<unsigned char>(c);
    if (static_cast<unsigned char>(low) <= u &&
        u <= static_cast<unsigned char>(high)) {
      found = true;
    }
    ++i;
  }
  if (i >= pattern.size()) {
    return 0;
  }
  *matched = c != '/' && found != negate;
  return i + 1;
}

void walkFolder(const fs::path& root, const std::string& rel, Tree& tree) {
  std::error_code ec;
  fs::directory_iterator it(rel.empty() ? root : root / fs::path(rel), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    std::string name = entry.path().filename().string();
    std::string childRel = rel.empty() ? name : rel + "/" + name;
    std::error_code statusError;
    fs::file_status link = entry.symlink_status(statusError);
    fs::file_status target = entry.status(statusError);
    Entry found;
    if (fs::is_symlink(link) && !fs::exists(target)) {
      found.kind = EntryKind::kBrokenLink;
    } else if (fs::is_directory(target)) {
      if (fs::is_symlink(link)) {
        continue;  // not followed: a link may lead back up the tree
      }
      tree[childRel].kind = EntryKind::kFolder;
      walkFolder(root, childRel, tree);
      continue;
    } else if (fs::is_regular_file(target)) {
      std::error_code sizeError;
      std::uintmax_t size = entry.file_size(sizeError);
      found.size = sizeError ? 0 : static_cast<std::int64_t>(size);
      found.mtimeNs = sizeError ? 0 : modifiedNs(entry.path().string());
    } else {
      found.kind = EntryKind::kOther;
    }
    tree[childRel] = found;
  }
  if (ec) {
    Entry unreadable{EntryKind::kUnreadable, 0, ec.message()};
    tree[rel.empty() ? "." : rel] = unreadable;
  }
}

std::string joinPath(const std::string& root, const std::string& rel) {
  return (fs::path(root) / fs::path(rel)).make_preferred().string();
}

// The problem of one side that makes a pair an error, or "".
std::string sideProblem(const std::optional<Entry>& entry,
                        std::string_view side) {
  if (!entry) {
    return "";
  }
  switch (entry->kind) {
    case EntryKind::kBrokenLink:
      return "broken link in " + std::string(side);
    case EntryKind::kOther:
      return "not a regular file in " + std::string(side);
    case EntryKind::kFolder:
      return "a folder in " + std::string(side);
    case EntryKind::kUnreadable:
      return "cannot read the " + std::string(side) +
             " folder: " + entry->detail;
    case EntryKind::kFile:
      break;
  }
  return "";
}

PairPlan errorPlan(std::string name, std::string message) {
  PairPlan plan;
  plan.row.name = std::move(name);
  plan.row.status = PairStatus::kError;
  plan.row.message = std::move(message);
  return plan;
}

PairPlan missingPlan(std::string name, std::string message) {
  PairPlan plan = errorPlan(std::move(name), std::move(message));
  plan.row.status = PairStatus::kMissing;
  return plan;
}

// What stands at `path`, following links, as a walk would report it; no
// value when nothing is there. Names of any length are looked at.
std::optional<Entry> lookAt(const std::string& path) {
  Entry entry;
  switch (fileKindOf(path, &entry.size)) {
    case FileKind::kMissing:
      return std::nullopt;
    case FileKind::kBrokenLink:
      entry.kind = EntryKind::kBrokenLink;
      break;
    case FileKind::kFolder:
      entry.kind = EntryKind::kFolder;
      break;
    case FileKind::kOther:
      entry.kind = EntryKind::kOther;
      break;
    case FileKind::kFile:
      entry.mtimeNs = modifiedNs(path);
      break;
  }
  return entry;
}

// True when `a` and `b` are the one file or folder (the same device and
// file number, links followed).
bool sameEntry(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

// The plan of one named pair of paths, from what stands at each. `given`
// holds the two paths as the user typed them, for the messages.
PairPlan planPair(std::string name, std::string baseline, std::string candidate,
                  std::string switches,
                  const std::pair<std::string, std::string>& given) {
  std::optional<Entry> one = lookAt(baseline);
  std::optional<Entry> two = lookAt(candidate);
  PairPlan plan;
  std::string problem = sideProblem(one, "baseline");
  if (problem.empty()) {
    problem = sideProblem(two, "candidate");
  }
  if (!problem.empty()) {
    plan = errorPlan(name, problem);
  } else if (!one && !two) {
    plan = errorPlan(
        name, "neither file exists: " + given.first + ", " + given.second);
  } else if (!two) {
    plan = missingPlan(name, "candidate not found: " + given.second);
  } else if (!one) {
    plan = missingPlan(name, "baseline not found: " + given.first);
  } else if (sameEntry(baseline, candidate)) {
    plan = errorPlan(name, "baseline and candidate are the same file: " +
                               given.first + ", " + given.second);
  } else {
    plan.toCompare = true;
    plan.row.name = name;
    plan.row.bytes = one->size + two->size;
  }
  plan.row.baselineFile = factsFrom(baseline, one);
  plan.row.candidateFile = factsFrom(candidate, two);
  if (one) {
    plan.row.baseline = std::move(baseline);
  }
  if (two) {
    plan.row.candidate = std::move(candidate);
  }
  plan.row.switches = std::move(switches);
  return plan;
}

// Matches `name` against a pattern that holds no "**" folder run: `*`, `?`
// and sets never match a '/'.
bool matchWithinFolders(std::string_view pattern, std::string_view name) {
  // Backtracking over the last '*' only: a later '*' can always take over
  // what an earlier one would have matched, as no wildcard crosses a '/'.
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starN = n;
      continue;
    }
    if (p < pattern.size()) {
      char c = name[n];
      std::size_t step = 0;
      bool matched = false;
      if (pattern[p] == '?') {
        matched = c != '/';
        step = 1;
      } else if (pattern[p] == '[' &&
                 (step = matchSet(pattern.substr(p), c, &matched)) != 0) {
      } else if (pattern[p] == '\\' && p + 1 < pattern.size()) {
        matched = pattern[p + 1] == c;
        step = 2;
      } else {
        matched = pattern[p] == c;
        step = 1;
      }
      if (matched) {
        p += step;
        ++n;
        continue;
      }
    }
    if (starP == std::string_view::npos || name[starN] == '/') {
      return false;
    }
    p = starP;
    n = ++starN;
  }
  while (p < pattern.size() && pattern[p] == '*') {
    ++p;
  }
  return p == pattern.size();
}

// The position of the first "**" that stands as a whole folder name of
// `pattern` (between slashes, or at either end next to one, or alone), or
// npos. Escaped characters and sets are stepped over.
std::size_t findFolderRun(std::string_view pattern) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '\\') {
      ++i;
      continue;
    }
    if (pattern[i] == '[') {
      bool unused = false;
      std::size_t length = matchSet(pattern.substr(i), 'a', &unused);
      if (length != 0) {
        i += length - 1;
      }
      continue;
    }
    bool starts = i == 0 || pattern[i - 1] == '/';
    bool ends = i + 2 == pattern.size() ||
                (i + 2 < pattern.size() && pattern[i + 2] == '/');
    if (pattern.substr(i, 2) == "**" && starts && ends) {
      return i;
    }
  }
  return std::string_view::npos;
}

}  // namespace

bool matchWildcard(std::string_view pattern, std::string_view name) {
  std::size_t run = findFolderRun(pattern);
  if (run == std::string_view::npos) {
    return matchWithinFolders(pattern, name);
  }
  // The part before the run matches a leading run of whole folders of the
  // name; the part after it matches what follows any later folder start.
  std::string_view head = pattern.substr(0, run);
  bool trailing = run + 2 == pattern.size();
  std::string_view tail = trailing ? "" : pattern.substr(run + 3);
  for (std::size_t start = 0; start <= name.size(); ++start) {
    if (start != 0 && name[start - 1] != '/') {
      continue;
    }
    if (!matchWithinFolders(head, name.substr(0, start))) {
      continue;
    }
    if (trailing) {
      return true;
    }
    for (std::size_t from = start; from <= name.size(); ++from) {
      if ((from == start || name[from - 1] == '/') &&
          matchWildcard(tail, name.substr(from))) {
        return true;
      }
    }
    return false;  // only one start fits the head's folders
  }
  return false;
}

bool passesGlobs(const std::vector<std::string>& globs, std::string_view path) {
  if (globs.empty()) {
    return true;
  }
  std::size_t slash = path.rfind('/');
  std::string_view fileName =
      slash == std::string_view::npos ? path : path.substr(slash + 1);
  return std::any_of(globs.begin(), globs.end(), [&](const std::string& glob) {
    bool whole = glob.find('/') != std::string::npos;
    return matchWildcard(glob, whole ? path : fileName);
  });
}

std::vector<PairPlan> pairFolders(const std::string& baseline,
                                  const std::string& candidate,
                                  const std::vector<std::string>& globs) {
  Tree one;
  Tree two;
  walkFolder(fs::path(baseline), "", one);
  walkFolder(fs::path(candidate), "", two);

  std::vector<std::string> names;
  for (const auto& [name, entry] : one) {
    names.push_back(name);
  }
  for (const auto& [name, entry] : two) {
    if (!one.count(name)) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());

  std::vector<PairPlan> plans;
  for (const std::string& name : names) {
    std::optional<Entry> a;
    std::optional<Entry> b;
    if (auto it = one.find(name); it != one.end()) {
      a = it->second;
    }
    if (auto it = two.find(name); it != two.end()) {
      b = it->second;
    }
    bool folderA = a && a->kind == EntryKind::kFolder;
    bool folderB = b && b->kind == EntryKind::kFolder;
    bool unreadable = (a && a->kind == EntryKind::kUnreadable) ||
                      (b && b->kind == EntryKind::kUnreadable);
    if ((folderA || !a) && (folderB || !b)) {
      continue;  // a folder on each side, or on one: its files pair up
    }
    if (!unreadable && !passesGlobs(globs, name)) {
      continue;
    }
    std::string problem = sideProblem(a, "baseline");
    if (problem.empty()) {
      problem = sideProblem(b, "candidate");
    }
    PairPlan plan;
    if (!problem.empty()) {
      plan = errorPlan(name, problem);
    } else if (!b) {
      plan = missingPlan(name, "only in baseline: " + name);
    } else if (!a) {
      plan = missingPlan(name, "only in candidate: " + name);
    } else {
      plan.toCompare = true;
      plan.row.name = name;
      plan.row.bytes = a->size + b->size;
    }
    if (!unreadable) {
      plan.row.baselineFile = factsFrom(joinPath(baseline, name), a);
      plan.row.candidateFile = factsFrom(joinPath(candidate, name), b);
    }
    if (a && !unreadable) {
      plan.row.baseline = joinPath(baseline, name);
    }
    if (b && !unreadable) {
      plan.row.candidate = joinPath(candidate, name);
    }
    plans.push_back(std::move(plan));
  }
  return plans;
}

FileFacts factsOf(const std::string& path) {
  return factsFrom(path, lookAt(path));
}

PairPlan pairFiles(const std::string& baseline, const std::string& candidate) {
  return planPair(fs::path(baseline).generic_string(), baseline, candidate, "",
                  {baseline, candidate});
}

bool splitListLine(std::string_view line, std::vector<std::string>* words) {
  words->clear();
  bool quoted = false;
  bool inWord = false;
  std::string word;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t' || c == '\r')) {
      if (inWord) {
        words->push_back(std::move(word));
        word.clear();
        inWord = false;
      }
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) {
    words->push_back(std::move(word));
  }
  return !quoted;
}

std::vector<ListLine> readPairList(std::string_view text) {
  std::vector<ListLine> lines;
  std::vector<std::string> words;
  int lineNo = 0;
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    text.remove_prefix(kByteOrderMark.size());  // as some editors write
  }
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNo;
    std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == '#') {
      continue;
    }
    ListLine entry;
    entry.line = lineNo;
    std::string where = "line " + std::to_string(lineNo);
    if (!splitListLine(line, &words)) {
      entry.error = "a quote is not closed";
    } else if (words.size() < 2) {
      entry.error = "a pair needs two file names";
    } else if (words[0].empty() || words[1].empty()) {
      entry.error = "a file name is empty";
    } else {
      entry.baseline = words[0];
      entry.candidate = words[1];
      for (std::size_t i = 2; i < words.size(); ++i) {
        entry.switches += (i > 2 ? " " : "") + words[i];
      }
    }
    if (entry.error.empty() && !entry.switches.empty()) {
      // The switches are tried on two empty texts, as the program would
      // read them, so that a typo names its line before any pair runs.
      zudiz::Result check = zudiz::compareTexts("", "", entry.switches);
      if (check.status == zudiz::Status::kError) {
        entry.error = where + ": " + check.message;
      }
    }
    lines.push_back(std::move(entry));
  }
  return lines;
}

std::vector<PairPlan> pairList(std::string_view text,
                               const std::string& folder) {
  std::vector<ListLine> lines = readPairList(text);
  std::map<std::string, int> uses;
  for (const ListLine& line : lines) {
    ++uses[line.baseline];
  }
  auto place = [&](const std::string& path) {
    fs::path p(path);
    return p.is_absolute() || folder.empty()
               ? path
               : (fs::path(folder) / p).make_preferred().string();
  };
  std::vector<PairPlan> plans;
  for (const ListLine& line : lines) {
    std::string where = "line " + std::to_string(line.line);
    if (line.baseline.empty()) {
      plans.push_back(errorPlan(where, line.error));
      continue;
    }
    // A name the list repeats (the same baseline with other switches or
    // another candidate) gets its line number, so every name is one pair's.
    std::string name = line.baseline;
    if (uses[name] > 1) {
      name += " (" + where + ")";
    }
    if (!line.error.empty()) {
      PairPlan plan = errorPlan(name, line.error);
      plan.row.switches = line.switches;
      plans.push_back(std::move(plan));
      continue;
    }
    plans.push_back(planPair(name, place(line.baseline), place(line.candidate),
                             line.switches, {line.baseline, line.candidate}));
  }
  sortPlans(plans);
  return plans;
}

std::vector<PairPlan> selectShard(std::vector<PairPlan> plans, int index,
                                  int count) {
  std::vector<PairPlan> kept;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    if (static_cast<int>(i % static_cast<std::size_t>(count)) == index - 1) {
      kept.push_back(std::move(plans[i]));
    }
  }
  return kept;
}

void sortPlans(std::vector<PairPlan>& plans) {
  std::stable_sort(plans.begin(), plans.end(),
                   [](const PairPlan& a, const PairPlan& b) {
                     return pairBefore(a.row, b.row);
                   });
}

}  // namespace suite
