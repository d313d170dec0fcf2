#include "suite/options.h"

#include <CLI/CLI.hpp>
#include <sstream>

#include "zudiz/zudiz.h"

namespace suite {
namespace {

constexpr const char* kDescription =
    "Compares whole suites of VAV report pairs: two folders file by file, two "
    "files, or the pairs of a list.\n\n"
    "  zudiz-suite [options] BASELINE CANDIDATE\n"
    "  zudiz-suite [options] --pairs LIST\n"
    "  zudiz-suite [options] --merge RESULT.json...\n";

constexpr const char* kFooter =
    "Exit status: 0 when every pair is the same, 1 when any pair is "
    "different or missing, 2 on a usage error or when any pair is an error, "
    "130 when interrupted.";

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

}  // namespace

ParsedCommandLine parseOptions(const std::vector<std::string>& args,
                               int cores) {
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
  app.add_option("-j,--jobs", o.jobs, "comparisons at once (default: cores)")
      ->type_name("N")
      ->check(CLI::Range(1, 1024));
  app.add_option("--json", o.json, "write the JSON record of the run")
      ->type_name("FILE");
  app.add_option("--junit", o.junit, "write a JUnit XML report")
      ->type_name("FILE");
  app.add_option("--html", o.html, "write an HTML report")->type_name("FILE");
  app.add_option("--markdown", o.markdown,
                 "write a Markdown summary (\"-\": standard output)")
      ->type_name("FILE");
  app.add_option("--shard", shard,
                 "run only the pairs at K-1 modulo N of the sorted list")
      ->type_name("K/N");
  app.add_option("--numbers", numbers,
                 "number records kept per pair in reports (default 100)")
      ->type_name("N|all");
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

  if (!parseShard(shard, &o.shardIndex, &o.shardCount)) {
    return usageError("--shard wants K/N with 1 <= K <= N, not \"" + shard +
                      "\"");
  }
  if (!parseNumbersCap(numbers, &o.numbersCap)) {
    return usageError("--numbers wants a count or \"all\", not \"" + numbers +
                      "\"");
  }
  if (merge) {
    o.mode = SuiteMode::kMerge;
    if (o.paths.empty()) {
      return usageError("--merge needs the JSON results to combine");
    }
    if (!o.pairList.empty() || !o.globs.empty() || !o.switches.empty() ||
        shard != "1/1") {
      return usageError(
          "--merge combines results: --pairs, --glob, --switches and --shard "
          "do not apply");
    }
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
        return usageError("two reports to the one file " + *reports[i]);
      }
    }
  }
  parsed.run = true;
  return parsed;
}

}  // namespace suite
