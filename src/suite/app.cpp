#include "suite/app.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "host/system.h"
#include "suite/accept.h"
#include "suite/console.h"
#include "suite/html_export.h"
#include "suite/json_export.h"
#include "suite/junit_export.h"
#include "suite/markdown_export.h"
#include "suite/pairing.h"
#include "suite/report_file.h"
#include "suite/rules.h"
#include "suite/runner.h"
#include "suite/spool.h"

namespace suite {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kStatusUsage = 2;
constexpr int kStatusInterrupted = 130;
constexpr const char* kNoPairs = "no report pairs to compare";
// Standard output was closed by its reader (128 + SIGPIPE, as shells show a
// process that a closed pipe ended).
constexpr int kStatusOutputClosed = 141;

void printError(const SuiteEnvironment& env, const std::string& message) {
  std::fprintf(env.err, "zudiz-suite: %s\n", message.c_str());
}

std::string utcNow() {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

// The console lines go to one stream. A write that fails is remembered and
// ends the run: nothing more is printed and no new pair starts.
class Console {
 public:
  explicit Console(std::FILE* stream) : stream_(stream) {}

  void print(std::string_view text) {
    if (error_ != 0) {
      return;
    }
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stream_) != text.size() ||
        std::fflush(stream_) != 0) {
      error_ = errno != 0 ? errno : EIO;
    }
  }
  void printLine(const std::string& line) { print(line + "\n"); }

  bool failed() const { return error_ != 0; }

  // The status of a run whose console failed: a closed pipe ends it quietly;
  // any other failure (a full disk) is named on standard error.
  int failureStatus(const SuiteEnvironment& env) const {
    if (error_ == EPIPE) {
      return kStatusOutputClosed;
    }
    printError(env, std::string("cannot write: ") + std::strerror(error_));
    return kStatusUsage;
  }

 private:
  std::FILE* stream_;
  int error_ = 0;
};

std::string joinSwitches(const std::string& global, const std::string& own) {
  if (global.empty() || own.empty()) {
    return global + own;
  }
  return global + " " + own;
}

// A report written as its exporter makes it, in pieces of kPiece bytes.
class ReportSink : public TextSink {
 public:
  explicit ReportSink(ReportFile& file) : file_(file) {}

  void write(std::string_view text) override {
    if (failed_) {
      return;
    }
    buffer_ += text;
    if (buffer_.size() >= kPiece) {
      failed_ = !file_.write(buffer_, &error_);
      buffer_.clear();
    }
  }

  // Writes the rest and puts the report in place; false with `error` set
  // when any write failed.
  bool finish(std::string* error) {
    if (!failed_ && file_.commit(buffer_, &error_)) {
      return true;
    }
    *error = error_;
    return false;
  }

 private:
  static constexpr std::size_t kPiece = 1 << 20;
  ReportFile& file_;
  std::string buffer_;
  std::string error_;
  bool failed_ = false;
};

using Exporter =
    std::function<void(const SuiteRun&, const PairSource&, TextSink&)>;

// The reports the options ask for, created before the run.
struct Reports {
  struct One {
    Exporter exporter;
    std::unique_ptr<ReportFile> file;
  };
  std::vector<One> all;

  bool open(const SuiteOptions& options, const SuiteEnvironment& env) {
    // The page shows the records the run kept (--numbers), all of them.
    const std::size_t htmlCap = options.numbersCap;
    const std::pair<const std::string*, Exporter> wanted[] = {
        {&options.json, writeJson},
        {&options.junit, writeJunit},
        {&options.html,
         [htmlCap](const SuiteRun& run, const PairSource& pairs,
                   TextSink& out) { writeHtml(run, pairs, out, htmlCap); }},
        {&options.markdown,
         [](const SuiteRun& run, const PairSource& pairs, TextSink& out) {
           out.write(exportMarkdown(run, pairs));
         }}};
    for (const auto& [target, exporter] : wanted) {
      if (target->empty()) {
        continue;
      }
      One one{exporter, std::make_unique<ReportFile>()};
      std::string error;
      if (!one.file->open(*target, &error, env.out)) {
        printError(env, error);
        return false;
      }
      all.push_back(std::move(one));
    }
    return true;
  }

  // Writes every report; returns 0, or the exit status of a failure.
  int commit(const SuiteRun& run, const PairSource& pairs,
             const SuiteEnvironment& env) {
    int status = 0;
    for (One& one : all) {
      std::string error;
      ReportSink sink(*one.file);
      try {
        one.exporter(run, pairs, sink);
        if (sink.finish(&error)) {
          continue;
        }
      } catch (const std::exception& e) {
        error = e.what();  // the spool could not be read back
      }
      one.file->abandon();
      if (one.file->outputClosed()) {
        status = kStatusOutputClosed;  // its reader is gone: quietly
      } else {
        printError(env, error);
        status = kStatusUsage;
      }
    }
    return status;
  }
};

// True when a report goes to standard output; the console lines then go to
// standard error.
bool reportsToStandardOutput(const SuiteOptions& options) {
  for (const std::string* target :
       {&options.json, &options.junit, &options.html, &options.markdown}) {
    if (*target == kStandardOutput) {
      return true;
    }
  }
  return false;
}

// Draws the progress line on standard error and takes it away again
// before anything else is printed.
class ProgressLine {
 public:
  explicit ProgressLine(const SuiteEnvironment& env) : env_(env) {}

  void show(const Progress& progress) {
    if (!env_.progress) {
      return;
    }
    std::string line = progressLine(progress);
    std::size_t width = line.size();
    if (line.size() < shown_) {
      line.append(shown_ - line.size(), ' ');
    }
    std::fprintf(env_.err, "\r%s", line.c_str());
    std::fflush(env_.err);
    shown_ = width;
  }

  void clear() {
    if (shown_ == 0) {
      return;
    }
    std::fprintf(env_.err, "\r%s\r", std::string(shown_, ' ').c_str());
    std::fflush(env_.err);
    shown_ = 0;
  }

 private:
  const SuiteEnvironment& env_;
  std::size_t shown_ = 0;
};

void printPair(const PairResult& pair, const SuiteOptions& options,
               Console& console) {
  if (options.quiet || pair.status == PairStatus::kSame) {
    return;
  }
  std::string text = pairLine(pair) + "\n";
  if (options.verbose && pair.status == PairStatus::kDifferent) {
    text += listingText(pair.result.output);
  }
  console.print(text);
}

// The suite's own message for a pair whose file could not be opened: the
// path and the system's reason, which the program's message leaves out.
void explainOpenFailure(const PairResult& row, zudiz::Result* result) {
  if (result->status != zudiz::Status::kError ||
      result->message.rfind("Could not open ", 0) != 0) {
    return;
  }
  for (const std::string* path : {&row.baseline, &row.candidate}) {
    std::string reason = whyNotReadable(*path);
    if (!reason.empty()) {
      result->message = "cannot open " + *path + ": " + reason;
      return;
    }
  }
}

// Plans the pairs of folder mode (two folders, or two files). Returns false
// after printing a usage error.
bool planFolders(const SuiteOptions& options, const SuiteEnvironment& env,
                 PlanList* plans) {
  const std::string& baseline = options.paths[0];
  const std::string& candidate = options.paths[1];
  std::int64_t size = 0;
  FileKind kindA = fileKindOf(baseline, &size);
  FileKind kindB = fileKindOf(candidate, &size);
  bool existsA = kindA != FileKind::kMissing;
  bool existsB = kindB != FileKind::kMissing;
  bool folderA = kindA == FileKind::kFolder;
  bool folderB = kindB == FileKind::kFolder;
  if (!existsA && !existsB) {
    printError(env, "neither " + baseline + " nor " + candidate + " exists");
    return false;
  }
  std::error_code ec;
  if (existsA && existsB && fs::equivalent(baseline, candidate, ec)) {
    printError(env, "BASELINE and CANDIDATE are the same " +
                        std::string(folderA ? "folder" : "file") + ": " +
                        baseline + " and " + candidate);
    return false;
  }
  if (folderA && folderB) {
    *plans = pairFolders(baseline, candidate, options.globs);
    return true;
  }
  if (folderA || folderB) {
    printError(env, "give two folders or two files: " +
                        (folderA ? baseline : candidate) + " is a folder and " +
                        (folderA ? candidate : baseline) +
                        (existsA && existsB ? " is not" : " does not exist"));
    return false;
  }
  plans->add(pairFiles(baseline, candidate));
  return true;
}

bool planList(const SuiteOptions& options, const SuiteEnvironment& env,
              PlanList* plans) {
  std::string text;
  std::string reason;
  if (!readWholeFile(options.pairList, &text, &reason)) {
    printError(env,
               "cannot read the pair list " + options.pairList + ": " + reason);
    return false;
  }
  *plans = pairList(text, fs::path(options.pairList).parent_path().string());
  return true;
}

// Reads the rules of --rules and --switches-for, in that order, and checks
// each one's switches after the global ones. Returns false after printing a
// usage error.
bool readRules(const SuiteOptions& options, const SuiteEnvironment& env,
               std::vector<SwitchRule>* rules) {
  std::string error;
  if (!options.rulesFile.empty()) {
    std::string text;
    std::string reason;
    if (!readWholeFile(options.rulesFile, &text, &reason)) {
      printError(env, "cannot read the rules file " + options.rulesFile + ": " +
                          reason);
      return false;
    }
    if (!parseRulesFile(text, options.rulesFile, rules, &error)) {
      printError(env, error);
      return false;
    }
  }
  for (const std::string& text : options.switchesFor) {
    SwitchRule rule;
    if (!parseRuleOption(text, &rule, &error)) {
      printError(env, error);
      return false;
    }
    rules->push_back(std::move(rule));
  }
  for (const SwitchRule& rule : *rules) {
    zudiz::Result check = zudiz::compareTexts(
        "", "", joinSwitches(options.switches, rule.switches));
    if (check.status == zudiz::Status::kError) {
      printError(
          env, "bad switches in the rule " + rule.where + ": " + check.message);
      return false;
    }
  }
  return true;
}

int acceptResult(const SuiteOptions& options, const SuiteEnvironment& env) {
  std::string text;
  std::string error;
  SuiteRun run;
  if (!readWholeFile(options.acceptResult, &text, &error)) {
    printError(env, "cannot read " + options.acceptResult + ": " + error);
    return kStatusUsage;
  }
  if (!importJson(text, &run, &error)) {
    printError(env, options.acceptResult + ": " + error);
    return kStatusUsage;
  }
  AcceptSettings settings;
  settings.only = options.only;
  settings.dryRun = options.dryRun;
  settings.removeGone = options.removeGone;
  AcceptEnvironment acceptEnv;
  acceptEnv.out = env.out;
  acceptEnv.err = env.err;
  acceptEnv.stopRequested = env.stopRequested;
  return acceptRun(run, settings, acceptEnv);
}

// Ends a run: prints the closing line, writes the reports and gives the
// exit status.
int finish(const SuiteRun& run, const PairSource& pairs, Reports& reports,
           Console& console, const SuiteEnvironment& env) {
  Totals totals = totalsOf(pairs, run.allowAdded);
  if (std::string partial = partialText(run); !partial.empty()) {
    std::string held;
    for (const std::string& shard : run.shards) {
      held += (held.empty() ? "" : ", ") + shard;
    }
    console.printLine(partial + " (" + held + ")");
  }
  console.printLine(closingLine(totals, run.seconds));
  if (console.failed()) {
    return console.failureStatus(env);  // the reports are not written
  }
  if (int status = reports.commit(run, pairs, env); status != 0) {
    return status;
  }
  return exitStatusOf(totals);
}

// Reads the shards' records one pair at a time into `spool`, so that a
// merge of any size needs little memory, and gives their facts.
bool readShards(const SuiteOptions& options, const SuiteEnvironment& env,
                PairSpool& spool, std::vector<SuiteRun>* runs,
                std::vector<std::size_t>* starts, bool* eachSorted) {
  *eachSorted = true;
  for (const std::string& path : options.paths) {
    // A folder opens for reading on some systems; it is named as one.
    std::int64_t size = 0;
    const bool folder = fileKindOf(path, &size) == FileKind::kFolder;
    std::FILE* file = folder ? nullptr : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
      printError(env, "cannot read " + path + ": " +
                          std::strerror(folder ? EISDIR : errno));
      return false;
    }
    starts->push_back(spool.size());
    PairFacts last;
    bool first = true;
    auto receive = [&](PairResult&& pair, std::string* error) {
      keepLargestNumbers(pair.result, options.numbersCap);
      if (!first && pairBefore(pair, last)) {
        *eachSorted = false;
      }
      first = false;
      last = pair;
      return spool.append(pair, error);
    };
    SuiteRun run;
    std::string error;
    const bool read = readJson(file, &run, receive, &error);
    std::fclose(file);
    if (!read) {
      printError(env, path + ": " + error);
      return false;
    }
    runs->push_back(std::move(run));
  }
  return true;
}

int mergeResults(const SuiteOptions& options, const SuiteEnvironment& env,
                 Reports& reports, Console& console) {
  PairSpool spool;
  std::string error;
  if (!spool.open(&error)) {
    printError(env, error);
    return kStatusUsage;
  }
  std::vector<SuiteRun> runs;
  std::vector<std::size_t> starts;
  bool eachSorted = true;
  if (!readShards(options, env, spool, &runs, &starts, &eachSorted)) {
    return kStatusUsage;
  }
  SuiteRun merged;
  if (!mergeRuns(std::move(runs), options.allowPartial, options.numbersCap,
                 &merged, &error)) {
    printError(env, error);
    return kStatusUsage;
  }
  merged.allowAdded = merged.allowAdded || options.allowAdded;
  if (spool.size() == 0 && !options.allowEmpty) {
    printError(env, kNoPairs);
    return kStatusUsage;
  }
  try {
    const std::vector<std::size_t> order =
        mergedOrder(spool, starts, eachSorted);
    ReorderedPairs pairs(spool, order);
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      if (!options.quiet && pairs.brief(i).status != PairStatus::kSame) {
        printPair(pairs.at(i), options, console);
      }
    }
    return finish(merged, pairs, reports, console, env);
  } catch (const std::exception& e) {
    printError(env, e.what());
    return kStatusUsage;
  }
}

}  // namespace

int runSuite(const SuiteOptions& options, const SuiteEnvironment& env) {
  Clock::time_point start = Clock::now();
  if (options.mode == SuiteMode::kAccept) {
    return acceptResult(options, env);
  }
  Console console(reportsToStandardOutput(options) ? env.err : env.out);
  SuiteRun run;
  run.version = std::string(zudiz::kVersion);
  run.date = utcNow();
  run.allowAdded = options.allowAdded;

  if (options.mode != SuiteMode::kMerge) {
    // The switches are checked once, on two empty texts, before any pair.
    zudiz::Result check = zudiz::compareTexts("", "", options.switches);
    if (check.status == zudiz::Status::kError) {
      printError(
          env, "bad --switches \"" + options.switches + "\": " + check.message);
      return kStatusUsage;
    }
  }
  Reports reports;
  if (options.mode == SuiteMode::kMerge) {
    if (!reports.open(options, env)) {
      return kStatusUsage;
    }
    return mergeResults(options, env, reports, console);
  }

  std::vector<SwitchRule> rules;
  if (!readRules(options, env, &rules)) {
    return kStatusUsage;
  }
  // The pairs are planned before the reports are created, so that a report
  // inside a compared folder is not taken for a file of the suite.
  PlanList plans;
  bool planned = options.mode == SuiteMode::kList
                     ? planList(options, env, &plans)
                     : planFolders(options, env, &plans);
  if (!planned) {
    return kStatusUsage;
  }
  // An empty suite is refused before any report is made; an empty shard of
  // a suite that has pairs is not, as a merge decides for the whole suite.
  if (plans.empty() && !options.allowEmpty) {
    printError(env, kNoPairs);
    return kStatusUsage;
  }
  if (!reports.open(options, env)) {
    return kStatusUsage;
  }
  // A pair's rules come before its list line's own switches.
  if (!rules.empty()) {
    for (std::size_t i = 0; i < plans.size(); ++i) {
      const std::string name(plans.name(i));
      plans.setSwitches(
          i, joinSwitches(ruleSwitches(rules, name), plans.switches(i)));
    }
  }
  plans.keepShard(options.shardIndex, options.shardCount);
  run.switches = options.switches;
  run.baseline =
      options.mode == SuiteMode::kList ? options.pairList : options.paths[0];
  run.candidate = options.mode == SuiteMode::kList ? "" : options.paths[1];
  run.shard = std::to_string(options.shardIndex) + "/" +
              std::to_string(options.shardCount);
  run.numbersCap = options.numbersCap;
  run.lookahead = options.lookahead;

  ProgressLine progress(env);
  RunnerSettings settings;
  settings.jobs = options.jobs;
  settings.numbersCap = options.numbersCap;
  RunnerHooks hooks;
  hooks.compare = [&](const PairResult& row) {
    zudiz::Result result =
        env.compare(row.baseline, row.candidate,
                    joinSwitches(options.switches, row.switches));
    explainOpenFailure(row, &result);
    return result;
  };
  hooks.finished = [&](const PairResult& row) {
    if (!options.quiet && row.status != PairStatus::kSame) {
      progress.clear();
    }
    printPair(row, options, console);
  };
  if (env.progress && !options.quiet) {
    hooks.progress = [&](const Progress& p) { progress.show(p); };
  }
  // A console that cannot be written stops the run as Ctrl-C does. Read by
  // the workers, so it is kept in an atomic flag.
  std::atomic<bool> consoleFailed{false};
  hooks.stopRequested = [&] {
    return consoleFailed.load() || (env.stopRequested && env.stopRequested());
  };
  // Each finished pair goes to the spool; only its brief stays in memory.
  // A spool that cannot be written stops the run too.
  PairSpool spool;
  std::string spoolError;
  if (!spool.open(&spoolError)) {
    printError(env, spoolError);
    return kStatusUsage;
  }
  settings.keepRows = false;
  hooks.finished = [&, printed = hooks.finished](const PairResult& row) {
    printed(row);
    if (spoolError.empty()) {
      spool.append(row, &spoolError);
    }
    consoleFailed.store(console.failed() || !spoolError.empty());
  };
  RunnerOutcome outcome = runPairs(plans, settings, hooks);
  progress.clear();
  if (console.failed()) {
    return console.failureStatus(env);
  }
  if (!spoolError.empty()) {
    printError(env, spoolError);
    return kStatusUsage;
  }

  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (outcome.stopped || (env.stopRequested && env.stopRequested())) {
    printError(env, "interrupted after " + std::to_string(spool.size()) +
                        " pairs; no report written");
    return kStatusInterrupted;
  }
  try {
    return finish(run, spool, reports, console, env);
  } catch (const std::exception& e) {
    printError(env, e.what());
    return kStatusUsage;
  }
}

}  // namespace suite
