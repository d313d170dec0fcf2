#include "suite/pairing.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string_view>
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

// What a folder walk found on one side, sorted by relative path ('/'
// between folders). The paths are kept one after the other in one block,
// so that a suite of any size is walked in little memory.
class Listing {
 public:
  void add(std::string_view path, const Entry& entry) {
    Item item;
    item.at = text_.size();
    item.size = static_cast<std::uint32_t>(path.size());
    item.kind = entry.kind;
    item.bytes = entry.size;
    item.mtimeNs = entry.mtimeNs;
    if (!entry.detail.empty()) {
      item.detail = static_cast<std::uint32_t>(details_.size());
      details_.push_back(entry.detail);
    }
    text_ += path;
    items_.push_back(item);
  }

  // Sorts by path; of two items with one path the later stays, as a
  // folder that cannot be read is first added as a folder.
  void sort() {
    std::stable_sort(
        items_.begin(), items_.end(),
        [&](const Item& a, const Item& b) { return pathOf(a) < pathOf(b); });
    std::vector<Item> kept;
    kept.reserve(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (i + 1 < items_.size() && pathOf(items_[i]) == pathOf(items_[i + 1])) {
        continue;
      }
      kept.push_back(items_[i]);
    }
    items_ = std::move(kept);
  }

  std::size_t size() const { return items_.size(); }
  std::string_view path(std::size_t i) const { return pathOf(items_[i]); }
  Entry entry(std::size_t i) const {
    const Item& item = items_[i];
    Entry entry;
    entry.kind = item.kind;
    entry.size = item.bytes;
    entry.mtimeNs = item.mtimeNs;
    if (item.detail != kNoDetail) {
      entry.detail = details_[item.detail];
    }
    return entry;
  }

 private:
  static constexpr std::uint32_t kNoDetail = 0xFFFFFFFF;
  struct Item {
    std::uint64_t at = 0;
    std::uint32_t size = 0;
    EntryKind kind = EntryKind::kFile;
    std::uint32_t detail = kNoDetail;
    std::int64_t bytes = 0;
    std::int64_t mtimeNs = 0;
  };
  std::string_view pathOf(const Item& item) const {
    return std::string_view(text_).substr(item.at, item.size);
  }
  std::string text_;
  std::vector<Item> items_;
  std::vector<std::string> details_;
};

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

void walkFolder(const fs::path& root, const std::string& rel, Listing& tree) {
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
      tree.add(childRel, Entry{EntryKind::kFolder, 0, "", 0});
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
    tree.add(childRel, found);
  }
  if (ec) {
    Entry unreadable{EntryKind::kUnreadable, 0, ec.message()};
    tree.add(rel.empty() ? "." : rel, unreadable);
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

PlanList pairFolders(const std::string& baseline, const std::string& candidate,
                     const std::vector<std::string>& globs) {
  Listing one;
  Listing two;
  walkFolder(fs::path(baseline), "", one);
  walkFolder(fs::path(candidate), "", two);
  one.sort();
  two.sort();

  // Both listings are sorted by path: they are walked side by side.
  PlanList plans(baseline, candidate);
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < one.size() || j < two.size()) {
    const bool inOne =
        i < one.size() && (j == two.size() || one.path(i) <= two.path(j));
    const bool inTwo =
        j < two.size() && (i == one.size() || two.path(j) <= one.path(i));
    const std::string name(inOne ? one.path(i) : two.path(j));
    std::optional<Entry> a;
    std::optional<Entry> b;
    if (inOne) {
      a = one.entry(i++);
    }
    if (inTwo) {
      b = two.entry(j++);
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
      if (a) {
        plan.row.baseline = plan.row.baselineFile.path;
      }
      if (b) {
        plan.row.candidate = plan.row.candidateFile.path;
      }
    }
    plans.add(plan);
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

PlanList pairList(std::string_view text, const std::string& folder) {
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
  PlanList list;
  for (const PairPlan& plan : plans) {
    list.add(plan);
  }
  return list;
}

PlanList selectShard(PlanList plans, int index, int count) {
  plans.keepShard(index, count);
  return plans;
}

void sortPlans(std::vector<PairPlan>& plans) {
  std::stable_sort(plans.begin(), plans.end(),
                   [](const PairPlan& a, const PairPlan& b) {
                     return pairBefore(a.row, b.row);
                   });
}

}  // namespace suite

namespace suite {

PlanList::PlanList(std::string baselineRoot, std::string candidateRoot)
    : roots_{std::move(baselineRoot), std::move(candidateRoot)} {}

std::uint32_t PlanList::switchesIndex(const std::string& switches) {
  // Few distinct switches are used in a suite: the rules give the same
  // ones to many pairs.
  auto [at, added] = switchesAt_.try_emplace(
      switches, static_cast<std::uint32_t>(switches_.size()));
  if (added) {
    switches_.push_back(switches);
  }
  return at->second;
}

void PlanList::add(const PairPlan& plan) {
  const PairFacts& row = plan.row;
  Record record;
  record.text = text_.size();
  record.nameSize = static_cast<std::uint32_t>(row.name.size());
  record.messageSize = static_cast<std::uint32_t>(row.message.size());
  record.switches = switchesIndex(row.switches);
  record.status = row.status;
  record.toCompare = plan.toCompare;
  record.bytes = row.bytes;
  text_ += row.name;
  text_ += row.message;
  const std::string* given[2] = {&row.baseline, &row.candidate};
  const FileFacts* facts[2] = {&row.baselineFile, &row.candidateFile};
  for (int k = 0; k < 2; ++k) {
    Side& side = record.sides[k];
    const std::string& path = facts[k]->path;
    if (!given[k]->empty() && *given[k] != path) {
      throw std::invalid_argument("a plan names a path other than its file's");
    }
    side.present = !given[k]->empty();
    side.exists = facts[k]->exists;
    side.size = facts[k]->size;
    side.mtimeNs = facts[k]->mtimeNs;
    if (!path.empty() && !roots_[k].empty() &&
        path == joinPath(roots_[k], row.name)) {
      side.pathSize = kJoined;
    } else {
      side.pathSize = static_cast<std::uint32_t>(path.size());
      text_ += path;
    }
  }
  records_.push_back(record);
}

std::string PlanList::pathOf(const Record& record, int side) const {
  const Side& s = record.sides[side];
  if (s.pathSize == kJoined) {
    return joinPath(roots_[side],
                    std::string(text_, record.text, record.nameSize));
  }
  std::uint64_t at = record.text + record.nameSize + record.messageSize;
  if (side == 1 && record.sides[0].pathSize != kJoined) {
    at += record.sides[0].pathSize;
  }
  return std::string(text_, at, s.pathSize);
}

std::string_view PlanList::name(std::size_t index) const {
  const Record& record = records_[index];
  return std::string_view(text_).substr(record.text, record.nameSize);
}

PairPlan PlanList::operator[](std::size_t index) const {
  const Record& record = records_[index];
  PairPlan plan;
  plan.toCompare = record.toCompare;
  PairFacts& row = plan.row;
  row.name = std::string(name(index));
  row.message =
      std::string(text_, record.text + record.nameSize, record.messageSize);
  row.switches = switches_[record.switches];
  row.status = record.status;
  row.bytes = record.bytes;
  FileFacts* facts[2] = {&row.baselineFile, &row.candidateFile};
  std::string* given[2] = {&row.baseline, &row.candidate};
  for (int k = 0; k < 2; ++k) {
    const Side& side = record.sides[k];
    facts[k]->path = pathOf(record, k);
    facts[k]->exists = side.exists;
    facts[k]->size = side.size;
    facts[k]->mtimeNs = side.mtimeNs;
    if (side.present) {
      *given[k] = facts[k]->path;
    }
  }
  return plan;
}

void PlanList::setSwitches(std::size_t index, const std::string& switches) {
  records_[index].switches = switchesIndex(switches);
}

void PlanList::keepShard(int index, int count) {
  if (count <= 1) {
    return;
  }
  PlanList kept(roots_[0], roots_[1]);
  for (std::size_t i = static_cast<std::size_t>(index - 1); i < size();
       i += static_cast<std::size_t>(count)) {
    kept.add((*this)[i]);
  }
  *this = std::move(kept);
}

void PlanList::sort() {
  std::vector<PairPlan> all(begin(), end());
  sortPlans(all);
  PlanList sorted(roots_[0], roots_[1]);
  for (const PairPlan& plan : all) {
    sorted.add(plan);
  }
  *this = std::move(sorted);
}

}  // namespace suite
