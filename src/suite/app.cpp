#include "suite/app.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <utility>
#include <vector>

#include "suite/console.h"
#include "suite/html_export.h"
#include "suite/json_export.h"
#include "suite/junit_export.h"
#include "suite/markdown_export.h"
#include "suite/pairing.h"
#include "suite/report_file.h"
#include "suite/runner.h"

namespace suite {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kStatusUsage = 2;
constexpr int kStatusInterrupted = 130;

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

bool readWholeFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return false;
  }
  std::ostringstream buffer;
  buffer << in.rdbuf();
  *text = std::move(buffer).str();
  return !in.bad();
}

std::string joinSwitches(const std::string& global, const std::string& own) {
  if (global.empty() || own.empty()) {
    return global + own;
  }
  return global + " " + own;
}

// The reports the options ask for, created before the run.
struct Reports {
  struct One {
    std::function<std::string(const SuiteRun&)> exporter;
    std::unique_ptr<ReportFile> file;  // none: standard output
  };
  std::vector<One> all;
  std::FILE* standardOutput = stdout;  // for a report to "-"

  bool open(const SuiteOptions& options, const SuiteEnvironment& env) {
    // The page shows the records the run kept (--numbers), all of them.
    const std::size_t htmlCap = options.numbersCap;
    const std::pair<const std::string*,
                    std::function<std::string(const SuiteRun&)>>
        wanted[] = {{&options.json, exportJson},
                    {&options.junit, exportJunit},
                    {&options.html,
                     [htmlCap](const SuiteRun& run) {
                       return exportHtml(run, htmlCap);
                     }},
                    {&options.markdown,
                     [](const SuiteRun& run) { return exportMarkdown(run); }}};
    for (const auto& [target, exporter] : wanted) {
      if (target->empty()) {
        continue;
      }
      if (*target == "-") {
        all.push_back(One{exporter, nullptr});
        continue;
      }
      One one{exporter, std::make_unique<ReportFile>()};
      std::string error;
      if (!one.file->open(*target, &error)) {
        printError(env, error);
        return false;
      }
      all.push_back(std::move(one));
    }
    return true;
  }

  bool commit(const SuiteRun& run, const SuiteEnvironment& env) {
    bool ok = true;
    for (One& one : all) {
      std::string error;
      if (one.file == nullptr) {
        const std::string text = one.exporter(run);
        if (std::fwrite(text.data(), 1, text.size(), standardOutput) !=
                text.size() ||
            std::fflush(standardOutput) != 0) {
          printError(env, "cannot write to standard output");
          ok = false;
        }
        continue;
      }
      if (!one.file->commit(one.exporter(run), &error)) {
        printError(env, error);
        ok = false;
      }
    }
    return ok;
  }
};

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
               const SuiteEnvironment& env) {
  if (options.quiet || pair.status == PairStatus::kSame) {
    return;
  }
  std::fprintf(env.out, "%s\n", pairLine(pair).c_str());
  if (options.verbose && pair.status == PairStatus::kDifferent) {
    std::string listing = listingText(pair.result.output);
    std::fwrite(listing.data(), 1, listing.size(), env.out);
  }
  std::fflush(env.out);
}

// Plans the pairs of folder mode (two folders, or two files). Returns false
// after printing a usage error.
bool planFolders(const SuiteOptions& options, const SuiteEnvironment& env,
                 std::vector<PairPlan>* plans) {
  const std::string& baseline = options.paths[0];
  const std::string& candidate = options.paths[1];
  std::error_code ec;
  bool existsA = fs::exists(baseline, ec);
  bool existsB = fs::exists(candidate, ec);
  bool folderA = fs::is_directory(baseline, ec);
  bool folderB = fs::is_directory(candidate, ec);
  if (!existsA && !existsB) {
    printError(env, "neither " + baseline + " nor " + candidate + " exists");
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
  plans->push_back(pairFiles(baseline, candidate));
  return true;
}

bool planList(const SuiteOptions& options, const SuiteEnvironment& env,
              std::vector<PairPlan>* plans) {
  std::string text;
  if (fs::is_directory(options.pairList) ||
      !readWholeFile(options.pairList, &text)) {
    printError(env, "cannot read the pair list " + options.pairList);
    return false;
  }
  *plans = pairList(text, fs::path(options.pairList).parent_path().string());
  return true;
}

// Ends a run: prints the closing line, writes the reports and gives the
// exit status.
int finish(const SuiteRun& run, Reports& reports, const SuiteEnvironment& env) {
  Totals totals = totalsOf(run);
  std::fprintf(env.out, "%s\n", closingLine(totals, run.seconds).c_str());
  std::fflush(env.out);
  if (!reports.commit(run, env)) {
    return kStatusUsage;
  }
  return exitStatusOf(totals);
}

int mergeResults(const SuiteOptions& options, const SuiteEnvironment& env,
                 Reports& reports) {
  std::vector<SuiteRun> runs;
  for (const std::string& path : options.paths) {
    std::string text;
    std::string error;
    SuiteRun run;
    if (!readWholeFile(path, &text)) {
      printError(env, "cannot read " + path);
      return kStatusUsage;
    }
    if (!importJson(text, &run, &error)) {
      printError(env, path + ": " + error);
      return kStatusUsage;
    }
    runs.push_back(std::move(run));
  }
  SuiteRun merged;
  std::string error;
  std::string warning;
  if (!mergeRuns(std::move(runs), &merged, &error, &warning)) {
    printError(env, error);
    return kStatusUsage;
  }
  if (!warning.empty()) {
    printError(env, "warning: " + warning);
  }
  for (PairResult& pair : merged.pairs) {
    keepLargestNumbers(pair.result, options.numbersCap);
    printPair(pair, options, env);
  }
  return finish(merged, reports, env);
}

}  // namespace

int runSuite(const SuiteOptions& options, const SuiteEnvironment& givenEnv) {
  Clock::time_point start = Clock::now();
  // A report to standard output has it to itself: the console lines go to
  // standard error.
  SuiteEnvironment env = givenEnv;
  Reports reports;
  reports.standardOutput = givenEnv.out;
  for (const std::string* target :
       {&options.json, &options.junit, &options.html, &options.markdown}) {
    if (*target == "-") {
      env.out = env.err;
    }
  }
  SuiteRun run;
  run.version = std::string(zudiz::kVersion);
  run.date = utcNow();

  if (options.mode != SuiteMode::kMerge) {
    // The switches are checked once, on two empty texts, before any pair.
    zudiz::Result check = zudiz::compareTexts("", "", options.switches);
    if (check.status == zudiz::Status::kError) {
      printError(
          env, "bad --switches \"" + options.switches + "\": " + check.message);
      return kStatusUsage;
    }
  }
  if (options.mode == SuiteMode::kMerge) {
    if (!reports.open(options, env)) {
      return kStatusUsage;
    }
    return mergeResults(options, env, reports);
  }

  // The pairs are planned before the reports are created, so that a report
  // inside a compared folder is not taken for a file of the suite.
  std::vector<PairPlan> plans;
  bool planned = options.mode == SuiteMode::kList
                     ? planList(options, env, &plans)
                     : planFolders(options, env, &plans);
  if (!planned || !reports.open(options, env)) {
    return kStatusUsage;
  }
  plans = selectShard(std::move(plans), options.shardIndex, options.shardCount);
  run.switches = options.switches;
  run.baseline =
      options.mode == SuiteMode::kList ? options.pairList : options.paths[0];
  run.candidate = options.mode == SuiteMode::kList ? "" : options.paths[1];
  run.shard = std::to_string(options.shardIndex) + "/" +
              std::to_string(options.shardCount);

  ProgressLine progress(env);
  RunnerSettings settings;
  settings.jobs = options.jobs;
  settings.numbersCap = options.numbersCap;
  RunnerHooks hooks;
  hooks.compare = [&](const PairResult& row) {
    return env.compare(row.baseline, row.candidate,
                       joinSwitches(options.switches, row.switches));
  };
  hooks.finished = [&](const PairResult& row) {
    if (!options.quiet && row.status != PairStatus::kSame) {
      progress.clear();
    }
    printPair(row, options, env);
  };
  if (env.progress && !options.quiet) {
    hooks.progress = [&](const Progress& p) { progress.show(p); };
  }
  hooks.stopRequested = env.stopRequested;
  RunnerOutcome outcome = runPairs(std::move(plans), settings, hooks);
  progress.clear();

  run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  run.pairs = std::move(outcome.rows);
  if (outcome.stopped || (env.stopRequested && env.stopRequested())) {
    printError(env, "interrupted after " + std::to_string(run.pairs.size()) +
                        " pairs; no report written");
    return kStatusInterrupted;
  }
  return finish(run, reports, env);
}

}  // namespace suite
