#include "suite/options.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <sstream>

#include "zudiz/zudiz.h"

namespace suite {
namespace {

constexpr const char* kDescription =
    "Compares whole suites of VAV report pairs: two folders file by file, two "
    "files, or the pairs of a list.\n\n"
    "  zudiz-suite [options] BASELINE CANDIDATE\n"
    "  zudiz-suite [options] --pairs LIST\n"
    "  zudiz-suite [options] --merge RESULT.json...\n"
    "  zudiz-suite --accept RESULT.json [--only PATTERN]... [--dry-run]\n";

constexpr const char* kFooter =
    "Exit status: 0 when every pair is the same, 1 when any pair is "
    "different or missing (a report only in the candidate not, with "
    "--allow-added), 2 on a usage error, when any pair is an error, when "
    "there is no pair to compare (unless --allow-empty), when --merge lacks "
    "a shard (unless --allow-partial) or when a report or the console cannot "
    "be written, 130 when interrupted (Ctrl-C), 129 on SIGHUP, 143 on "
    "SIGTERM, 141 when standard output is closed. --accept: 0 done, 2 "
    "refused (nothing changed) or failed part way, 130 interrupted.";

ParsedCommandLine usageError(const std::string& message) {
  ParsedCommandLine parsed;
  parsed.status = 2;
  parsed.errors = "zudiz-suite: " + message +
                  "\nTry 'zudiz-suite --help' for more information.\n";
  return parsed;
}

bool parseNumbersCap(const std::string& text, std::size_t* cap) {
  if (text == "all") {
    *cap = kAllNumbers;
    return true;
  }
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *cap = std::stoul(text);
  return true;
}

// A count of up to nine digits; false for any other text.
bool parseCount(const char* text, int* value) {
  std::string digits = text == nullptr ? "" : text;
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *value = std::stoi(digits);
  return true;
}

constexpr const char* kShardVariables =
    "CI_NODE_INDEX and CI_NODE_TOTAL (GitLab), SLURM_ARRAY_TASK_ID, "
    "SLURM_ARRAY_TASK_MIN and SLURM_ARRAY_TASK_COUNT (Slurm), "
    "JOB_COMPLETION_INDEX (Kubernetes, with --shard auto/N)";

}  // namespace

bool shardFromEnvironment(const std::string& shardText,
                          const EnvironmentLookup& environment, int* index,
                          int* count, std::string* error) {
  int given = 0;
  if (shardText != "auto" &&
      (shardText.rfind("auto/", 0) != 0 ||
       !parseCount(shardText.c_str() + 5, &given) || given < 1)) {
    *error = "--shard wants K/N, auto or auto/N, not \"" + shardText + "\"";
    return false;
  }
  // Reads the variable `name` as a count into `value`; false with `error`
  // set when it is set but not a count.
  auto read = [&](const char* name, int* value) {
    const char* text = environment(name);
    if (text != nullptr && !parseCount(text, value)) {
      *error = std::string("--shard auto: ") + name + " is \"" + text +
               "\", not a count";
      return false;
    }
    return true;
  };
  auto isSet = [&](const char* name) { return environment(name) != nullptr; };
  int k = 0;
  int n = 0;
  std::string source;
  if (isSet("CI_NODE_INDEX") || isSet("CI_NODE_TOTAL")) {
    source = "CI_NODE_INDEX/CI_NODE_TOTAL";
    if (!isSet("CI_NODE_INDEX") || !isSet("CI_NODE_TOTAL")) {
      *error =
          "--shard auto: GitLab sets CI_NODE_INDEX and CI_NODE_TOTAL "
          "together, and only one is set";
      return false;
    }
    if (!read("CI_NODE_INDEX", &k) || !read("CI_NODE_TOTAL", &n)) {
      return false;
    }
  } else if (isSet("SLURM_ARRAY_TASK_ID")) {
    source = "SLURM_ARRAY_TASK_ID";
    for (const char* name :
         {"SLURM_ARRAY_TASK_MIN", "SLURM_ARRAY_TASK_COUNT"}) {
      if (!isSet(name)) {
        *error = std::string("--shard auto: SLURM_ARRAY_TASK_ID is set but ") +
                 name + " is not";
        return false;
      }
    }
    int id = 0;
    int min = 0;
    int step = 1;
    if (!read("SLURM_ARRAY_TASK_ID", &id) ||
        !read("SLURM_ARRAY_TASK_MIN", &min) ||
        !read("SLURM_ARRAY_TASK_COUNT", &n) ||
        !read("SLURM_ARRAY_TASK_STEP", &step)) {
      return false;
    }
    if (step < 1 || id < min || (id - min) % step != 0) {
      *error = "--shard auto: SLURM_ARRAY_TASK_ID " + std::to_string(id) +
               " is not a task of the array from " + std::to_string(min) +
               " in steps of " + std::to_string(step);
      return false;
    }
    k = (id - min) / step + 1;
  } else if (isSet("JOB_COMPLETION_INDEX")) {
    source = "JOB_COMPLETION_INDEX";
    if (!read("JOB_COMPLETION_INDEX", &k)) {
      return false;
    }
    if (given == 0) {
      *error =
          "--shard auto: JOB_COMPLETION_INDEX gives no count of shards; "
          "give it as --shard auto/N";
      return false;
    }
    k += 1;
    n = given;
  } else {
    *error = std::string("--shard auto: none of the variables is set: ") +
             kShardVariables;
    return false;
  }
  if (given != 0 && n != given) {
    *error = "--shard " + shardText + ": the environment gives " +
             std::to_string(n) + " shards";
    return false;
  }
  if (k < 1 || k > n) {
    *error = "--shard auto: " + source + " gives shard " + std::to_string(k) +
             " of " + std::to_string(n);
    return false;
  }
  *index = k;
  *count = n;
  return true;
}

ParsedCommandLine parseOptions(const std::vector<std::string>& args, int cores,
                               const EnvironmentLookup& environment) {
  ParsedCommandLine parsed;
  SuiteOptions& o = parsed.options;
  o.jobs = cores < 1 ? 1 : cores;
  bool merge = false;
  std::string shard = "1/1";
  std::string numbers = "100";

  CLI::App app{kDescription, "zudiz-suite"};
  app.footer(kFooter);
  app.set_version_flag("--version",
                       "zudiz-suite " + std::string(zudiz::kVersion));
  app.add_option("paths", o.paths,
                 "BASELINE CANDIDATE (folders or files), or with --merge the "
                 "JSON results to combine");
  app.add_option("--pairs", o.pairList,
                 "a list file, one pair a line: BASELINE CANDIDATE [switches]")
      ->type_name("LIST");
  app.add_flag("--merge", merge,
               "combine the JSON results of shards into one run");
  app.add_option("--glob", o.globs,
                 "compare only files whose name matches (repeatable)")
      ->type_name("PATTERN")
      ->allow_extra_args(false);
  app.add_option("--switches", o.switches,
                 "the program's switches for every pair, as \"/IGNORE%:1\"")
      ->type_name("TEXT");
  app.add_option("--switches-for", o.switchesFor,
                 "more switches for the pairs whose path matches PATTERN, "
                 "after --switches (repeatable, in order)")
      ->type_name("PATTERN=SWITCHES")
      ->allow_extra_args(false);
  app.add_option("--rules", o.rulesFile,
                 "a file of PATTERN SWITCHES lines, applied before "
                 "--switches-for")
      ->type_name("FILE");
  app.add_flag("--allow-added", o.allowAdded,
               "a report only in the candidate is listed but does not fail "
               "the run");
  app.add_option("--accept", o.acceptResult,
                 "copy the candidate over the baseline for the different and "
                 "only-in-candidate pairs of a JSON result")
      ->type_name("RESULT.json");
  app.add_option("--only", o.only,
                 "with --accept: only the pairs whose path matches "
                 "(repeatable)")
      ->type_name("PATTERN")
      ->allow_extra_args(false);
  app.add_flag("--dry-run", o.dryRun,
               "with --accept: print what it would do, change nothing");
  app.add_flag("--remove-gone", o.removeGone,
               "with --accept: also remove baseline files the candidate no "
               "longer has");
  app.add_option("-j,--jobs", o.jobs, "comparisons at once (default: cores)")
      ->type_name("N")
      ->check(CLI::Range(1, 1024));
  app.add_option("--json", o.json,
                 "write the JSON record of the run (- for standard output)")
      ->type_name("FILE");
  app.add_option("--junit", o.junit,
                 "write a JUnit XML report (- for standard output)")
      ->type_name("FILE");
  app.add_option("--html", o.html,
                 "write an HTML report (- for standard output)")
      ->type_name("FILE");
  app.add_option("--markdown", o.markdown,
                 "write a Markdown summary (- for standard output)")
      ->type_name("FILE");
  app.add_option("--shard", shard,
                 "run only the pairs at K-1 modulo N of the sorted list; auto "
                 "takes K/N from GitLab, Slurm or Kubernetes (auto/N)")
      ->type_name("K/N|auto");
  app.add_option("--numbers", numbers,
                 "number records kept per pair in reports (default 100)")
      ->type_name("N|all");
  app.add_option("--lookahead", o.lookahead,
                 "lines the alignment looks ahead for inserted or deleted "
                 "lines (default 1: the program's rules)")
      ->type_name("N")
      ->check(CLI::Range(1, zudiz::kMaxLookahead));
  app.add_flag("--allow-empty", o.allowEmpty,
               "a run with no pair to compare ends with status 0, not 2");
  app.add_flag("--allow-partial", o.allowPartial,
               "--merge what shards are there and mark the reports partial");
  auto* verbose =
      app.add_flag("-v,--verbose", o.verbose, "also print each listing");
  app.add_flag("-q,--quiet", o.quiet, "print only the closing line")
      ->excludes(verbose);

  std::vector<const char*> argv;
  for (const std::string& arg : args) {
    argv.push_back(arg.c_str());
  }
  try {
    app.parse(static_cast<int>(argv.size()), argv.data());
  } catch (const CLI::CallForHelp&) {
    parsed.output = app.help();
    return parsed;
  } catch (const CLI::CallForVersion& e) {
    parsed.output = std::string(e.what()) + "\n";
    return parsed;
  } catch (const CLI::ParseError& e) {
    return usageError(e.what());
  }

  if (shard.rfind("auto", 0) == 0) {
    EnvironmentLookup lookup = environment;
    if (!lookup) {
      lookup = [](const char* name) { return std::getenv(name); };
    }
    std::string error;
    if (!shardFromEnvironment(shard, lookup, &o.shardIndex, &o.shardCount,
                              &error)) {
      return usageError(error);
    }
  } else if (!parseShard(shard, &o.shardIndex, &o.shardCount)) {
    return usageError("--shard wants K/N with 1 <= K <= N, not \"" + shard +
                      "\"");
  }
  if (!parseNumbersCap(numbers, &o.numbersCap)) {
    return usageError("--numbers wants a count or \"all\", not \"" + numbers +
                      "\"");
  }
  bool acceptOnly = !o.only.empty() || o.dryRun || o.removeGone;
  if (!o.acceptResult.empty()) {
    o.mode = SuiteMode::kAccept;
    if (merge || !o.paths.empty() || !o.pairList.empty() || !o.globs.empty() ||
        !o.switches.empty() || !o.switchesFor.empty() || !o.rulesFile.empty() ||
        shard != "1/1" || o.lookahead != 1 || !o.json.empty() ||
        !o.junit.empty() || !o.html.empty() || !o.markdown.empty()) {
      return usageError(
          "--accept takes a result and --only, --dry-run and --remove-gone; "
          "it runs no comparison and writes no report");
    }
    parsed.run = true;
    return parsed;
  }
  if (acceptOnly) {
    return usageError("--only, --dry-run and --remove-gone go with --accept");
  }
  if (merge) {
    o.mode = SuiteMode::kMerge;
    if (o.paths.empty()) {
      return usageError("--merge needs the JSON results to combine");
    }
    if (!o.pairList.empty() || !o.globs.empty() || !o.switches.empty() ||
        !o.switchesFor.empty() || !o.rulesFile.empty() || shard != "1/1" ||
        o.lookahead != 1) {
      return usageError(
          "--merge combines results: --pairs, --glob, --switches, "
          "--switches-for, --rules, --shard and --lookahead do not apply");
    }
  } else if (o.allowPartial) {
    return usageError("--allow-partial applies to --merge");
  } else if (!o.pairList.empty()) {
    o.mode = SuiteMode::kList;
    if (!o.paths.empty()) {
      return usageError("--pairs takes no BASELINE CANDIDATE");
    }
    if (!o.globs.empty()) {
      return usageError("--glob applies to folders, not to --pairs");
    }
  } else if (o.paths.size() != 2) {
    return usageError(o.paths.size() < 2
                          ? "give BASELINE and CANDIDATE, or --pairs LIST"
                          : "too many paths: give BASELINE and CANDIDATE");
  }
  const std::string* reports[] = {&o.json, &o.junit, &o.html, &o.markdown};
  constexpr int kReports = 4;
  for (int i = 0; i < kReports; ++i) {
    for (int k = i + 1; k < kReports; ++k) {
      if (!reports[i]->empty() && *reports[i] == *reports[k]) {
        return usageError(*reports[i] == "-"
                              ? "only one report may go to standard output (-)"
                              : "two reports to the one file " + *reports[i]);
      }
    }
  }
  parsed.run = true;
  return parsed;
}

}  // namespace suite
