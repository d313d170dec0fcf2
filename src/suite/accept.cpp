#include "suite/accept.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "host/system.h"
#include "suite/pairing.h"
#include "suite/rules.h"

namespace suite {
namespace {

namespace fs = std::filesystem;

constexpr int kStatusFailed = 2;
constexpr int kStatusInterrupted = 130;

enum class Action { kAccept, kRemove };

// One baseline file to change, with what the run recorded of both sides.
struct Change {
  Action action = Action::kAccept;
  std::string name;    // as the reports show the pair
  std::string source;  // the candidate file (kAccept)
  std::string target;  // the baseline file
  FileFacts recordedSource, recordedTarget;
  bool done = false;  // an earlier --accept of this result did it already
};

void printError(const AcceptEnvironment& env, const std::string& message) {
  std::fprintf(env.err, "zudiz-suite: %s\n", message.c_str());
}

bool sameFacts(const FileFacts& now, const FileFacts& recorded) {
  if (now.exists != recorded.exists) {
    return false;
  }
  return !now.exists ||
         (now.size == recorded.size && now.mtimeNs == recorded.mtimeNs);
}

// Why `name` cannot be a path below the baseline folder, or "".
std::string unsafeName(const std::string& name) {
  if (name.empty()) {
    return "an empty pair name";
  }
  fs::path path(name);
  if (path.is_absolute() || path.has_root_name() || path.has_root_directory() ||
      name.front() == '/') {
    return "an absolute path";
  }
  std::string part;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    bool separator = i == name.size() || name[i] == '/';
#ifdef _WIN32
    separator = separator || name[i] == '\\' || name[i] == ':';
#endif
    if (!separator) {
      part += name[i];
      continue;
    }
    if (part.empty() || part == "." || part == "..") {
      return "a name with \"" + part + "\" in it";
    }
    part.clear();
  }
  return "";
}

bool isLink(const fs::path& path) {
  std::error_code ec;
  return fs::is_symlink(fs::symlink_status(path, ec));
}

// A symbolic link among the folders from `root` down to `name`'s file, or
// "". The root itself is the user's to choose.
std::string linkOnTheWay(const fs::path& root, const std::string& name) {
  fs::path at = root;
  fs::path rel(name);
  for (auto it = rel.begin(); it != rel.end(); ++it) {
    if (std::next(it) == rel.end()) {
      break;
    }
    at /= *it;
    if (isLink(at)) {
      return at.string();
    }
  }
  return "";
}

// Copies `source` over `target` through a temporary file beside the target
// (which whatever ends the process removes), keeping the target's mode when
// it exists; a new file takes the source's. Returns false with `error` set;
// the target is then as it was.
bool replaceFile(const fs::path& source, const fs::path& target,
                 std::string* error) {
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  if (ec) {
    *error = "cannot make the folder " + target.parent_path().string() + ": " +
             ec.message();
    return false;
  }
  std::string text;
  std::string reason;
  if (!readWholeFile(source.string(), &text, &reason)) {
    *error = "cannot read " + source.string() + ": " + reason;
    return false;
  }
  bool existed = fs::is_regular_file(fs::symlink_status(target, ec));
  fs::perms mode = fs::status(source, ec).permissions();
  ReportTarget out;
  if (!out.open(target.string(), &reason) || !out.commit(text, &reason)) {
    *error = "cannot accept " + target.string() + ": " + reason;
    return false;
  }
  if (!existed) {
    fs::permissions(target, mode, ec);
  }
  return true;
}

// True when the files at `a` and `b` can be read and hold the same bytes.
bool sameContents(const std::string& a, const std::string& b) {
  std::ifstream one(a, std::ios::binary);
  std::ifstream two(b, std::ios::binary);
  char bufferOne[1 << 14];
  char bufferTwo[1 << 14];
  while (one && two) {
    one.read(bufferOne, sizeof bufferOne);
    two.read(bufferTwo, sizeof bufferTwo);
    if (one.gcount() != two.gcount() ||
        std::memcmp(bufferOne, bufferTwo,
                    static_cast<std::size_t>(one.gcount())) != 0) {
      return false;
    }
  }
  return one.eof() && two.eof();
}

// What kind of run `run` was, and where its files are.
struct Layout {
  enum Kind { kFolders, kFiles, kList } kind = kFolders;
  std::set<std::string> listed;  // kList: the baseline paths the list names
};

bool layoutOf(const SuiteRun& run, Layout* layout,
              std::vector<std::string>* problems) {
  std::error_code ec;
  if (run.candidate.empty()) {
    layout->kind = Layout::kList;
    std::string text;
    std::string reason;
    if (!readWholeFile(run.baseline, &text, &reason)) {
      problems->push_back("cannot read the pair list " + run.baseline +
                          " the result names: " + reason);
      return false;
    }
    const PlanList plans =
        pairList(text, fs::path(run.baseline).parent_path().string());
    for (const PairPlan& plan : plans) {
      layout->listed.insert(plan.row.baselineFile.path);
    }
    return true;
  }
  layout->kind =
      fs::is_directory(run.baseline, ec) ? Layout::kFolders : Layout::kFiles;
  return true;
}

// The change one pair asks for, or a problem that forbids it.
bool planChange(const SuiteRun& run, const Layout& layout,
                const PairResult& pair, Action action, Change* change,
                std::vector<std::string>* problems) {
  change->action = action;
  change->name = std::string(pathOfName(pair.name));
  change->recordedSource = pair.candidateFile;
  change->recordedTarget = pair.baselineFile;
  auto refuse = [&](const std::string& why) {
    problems->push_back(pair.name + ": " + why);
    return false;
  };
  if (pair.baselineFile.path.empty()) {
    return refuse(
        "the result holds no file sizes and times (written by an older "
        "zudiz-suite); run the suite again");
  }
  switch (layout.kind) {
    case Layout::kFolders: {
      std::string why = unsafeName(pair.name);
      if (!why.empty()) {
        return refuse("not a path inside the baseline folder: " + why);
      }
      change->target = (fs::path(run.baseline) / pair.name).string();
      change->source = (fs::path(run.candidate) / pair.name).string();
      std::string link = linkOnTheWay(run.baseline, pair.name);
      if (!link.empty()) {
        return refuse(link + " is a symbolic link; not written through");
      }
      break;
    }
    case Layout::kFiles:
      if (pair.name != fs::path(run.baseline).generic_string()) {
        return refuse("not a pair of " + run.baseline + ", and no folder " +
                      run.baseline + " is there");
      }
      change->target = run.baseline;
      change->source = run.candidate;
      break;
    case Layout::kList:
      if (!layout.listed.count(pair.baselineFile.path)) {
        return refuse(pair.baselineFile.path + " is not a baseline of " +
                      run.baseline);
      }
      change->target = pair.baselineFile.path;
      change->source = pair.candidateFile.path;
      break;
  }
  if (isLink(change->target)) {
    return refuse(change->target + " is a symbolic link; not written through");
  }
  std::error_code ec;
  if (fs::exists(change->target, ec) && !fs::is_regular_file(change->target)) {
    return refuse(change->target + " is not a regular file");
  }
  // Both sides as the run saw them: the candidate (gone, for a removal) and
  // the baseline (absent, for a new file).
  if (action == Action::kAccept &&
      (change->source.empty() || !pair.candidateFile.exists)) {
    return refuse("the result records no candidate file");
  }
  FileFacts source = factsOf(change->source);
  FileFacts target = factsOf(change->target);
  if (!change->source.empty() && !sameFacts(source, pair.candidateFile)) {
    return refuse(change->source + " changed since the run");
  }
  if (!sameFacts(target, pair.baselineFile)) {
    // An earlier --accept of this result (of other --only patterns, say)
    // may have done it: the baseline is then the candidate, or gone.
    change->done = action == Action::kAccept
                       ? target.exists && target.size == source.size &&
                             sameContents(change->target, change->source)
                       : !target.exists;
    if (!change->done) {
      return refuse(change->target + " changed since the run");
    }
  }
  return true;
}

std::string count(std::size_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

}  // namespace

int acceptRun(const SuiteRun& run, const AcceptSettings& settings,
              const AcceptEnvironment& env) {
  std::vector<std::string> problems;
  Layout layout;
  std::vector<Change> changes;
  if (layoutOf(run, &layout, &problems)) {
    for (const PairResult& pair : run.pairs) {
      bool gone = onlyInBaseline(pair);
      bool wanted = pair.status == PairStatus::kDifferent ||
                    onlyInCandidate(pair) || (settings.removeGone && gone);
      if (!wanted || !passesGlobs(settings.only, pathOfName(pair.name))) {
        continue;
      }
      Change change;
      if (planChange(run, layout, pair,
                     gone ? Action::kRemove : Action::kAccept, &change,
                     &problems)) {
        changes.push_back(std::move(change));
      }
    }
  }
  // Pairs of a list may share a baseline file: it takes one candidate.
  std::map<std::string, std::string> sourceOf;
  std::vector<Change> unique;
  for (Change& change : changes) {
    auto [it, added] = sourceOf.emplace(change.target, change.source);
    if (added) {
      unique.push_back(std::move(change));
    } else if (it->second != change.source) {
      problems.push_back(change.name + ": " + change.target +
                         " would be both " + it->second + " and " +
                         change.source);
    }
  }
  changes = std::move(unique);
  if (!problems.empty()) {
    for (const std::string& problem : problems) {
      printError(env, problem);
    }
    printError(env, "nothing accepted: " + count(problems.size(), "problem"));
    return kStatusFailed;
  }

  std::size_t already = 0;
  std::vector<Change> pending;
  for (Change& change : changes) {
    if (change.done) {
      ++already;
    } else {
      pending.push_back(std::move(change));
    }
  }
  changes = std::move(pending);
  std::string alreadyText =
      already == 0 ? "" : ", " + std::to_string(already) + " done before";

  std::size_t accepted = 0;
  std::size_t removed = 0;
  for (const Change& change : changes) {
    bool remove = change.action == Action::kRemove;
    if (settings.dryRun) {
      std::fprintf(env.out, "%s  %s\n",
                   remove ? "would remove" : "would accept",
                   change.name.c_str());
      continue;
    }
    std::string error;
    bool stopped = env.stopRequested && env.stopRequested();
    bool done = false;
    if (!stopped) {
      std::error_code ec;
      done = remove ? fs::remove(change.target, ec) && !ec
                    : replaceFile(change.source, change.target, &error);
      if (remove && !done) {
        error = "cannot remove " + change.target + ": " + ec.message();
      }
    }
    if (!done) {
      std::fflush(env.out);
      if (!stopped) {
        printError(env, error);
      }
      printError(env, std::string(stopped ? "interrupted" : "stopped") +
                          " after " + count(accepted + removed, "file") +
                          " of " + std::to_string(changes.size()) +
                          ": those printed are done, the others are as they "
                          "were");
      return stopped ? kStatusInterrupted : kStatusFailed;
    }
    ++(remove ? removed : accepted);
    std::fprintf(env.out, "%s  %s\n", remove ? "removed " : "accepted",
                 change.name.c_str());
    std::fflush(env.out);
  }
  std::size_t toRemove = 0;
  for (const Change& change : changes) {
    toRemove += change.action == Action::kRemove ? 1 : 0;
  }
  if (settings.dryRun) {
    std::fprintf(env.out,
                 "dry run: %s to accept, %zu to remove%s; nothing changed\n",
                 count(changes.size() - toRemove, "file").c_str(), toRemove,
                 alreadyText.c_str());
  } else {
    std::fprintf(env.out, "%s accepted, %zu removed%s\n",
                 count(accepted, "file").c_str(), removed, alreadyText.c_str());
  }
  std::fflush(env.out);
  return 0;
}

}  // namespace suite
