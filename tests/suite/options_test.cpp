#include "suite/options.h"

#include <map>

#include <gtest/gtest.h>

namespace {

using suite::SuiteMode;

suite::ParsedCommandLine parse(std::vector<std::string> args) {
  args.insert(args.begin(), "zudiz-suite");
  return suite::parseOptions(args, 4);
}

TEST(SuiteOptions, UsageErrors) {
  struct Row {
    std::vector<std::string> args;
    const char* mentions;
  };
  const Row rows[] = {
      {{}, "BASELINE and CANDIDATE"},
      {{"a"}, "BASELINE and CANDIDATE"},
      {{"a", "b", "c"}, "too many paths"},
      {{"--pairs", "l", "a"}, "--pairs takes no"},
      {{"--pairs", "l", "--glob", "*"}, "--glob"},
      {{"--merge"}, "--merge needs"},
      {{"--merge", "r.json", "--shard", "1/2"}, "do not apply"},
      {{"--merge", "r.json", "--switches", "/ALL"}, "do not apply"},
      {{"a", "b", "--shard", "3/2"}, "--shard"},
      {{"a", "b", "--shard", "x"}, "--shard"},
      {{"a", "b", "--numbers", "-1"}, "--numbers"},
      {{"a", "b", "--numbers", "some"}, "--numbers"},
      {{"a", "b", "-j", "0"}, "jobs"},
      {{"a", "b", "-j", "two"}, "jobs"},
      {{"a", "b", "-v", "-q"}, "quiet"},
      {{"a", "b", "--json", "r", "--junit", "r"}, "one file r"},
      {{"a", "b", "--colour"}, "colour"},
      {{"a", "b", "--allow-partial"}, "--allow-partial applies to --merge"},
      {{"a", "b", "--lookahead", "0"}, "--lookahead"},
      {{"a", "b", "--lookahead", "51"}, "--lookahead"},
      {{"--merge", "r.json", "--lookahead", "5"}, "do not apply"},
  };
  for (const Row& row : rows) {
    std::string line;
    for (const std::string& arg : row.args) {
      line += arg + " ";
    }
    SCOPED_TRACE(line);
    suite::ParsedCommandLine parsed = parse(row.args);
    EXPECT_FALSE(parsed.run);
    EXPECT_EQ(2, parsed.status);
    EXPECT_EQ(0u, parsed.errors.find("zudiz-suite: ")) << parsed.errors;
    EXPECT_NE(std::string::npos, parsed.errors.find(row.mentions))
        << parsed.errors;
    EXPECT_EQ("", parsed.output);
  }
}

TEST(SuiteOptions, HelpAndVersionGoToStandardOutput) {
  suite::ParsedCommandLine help = parse({"--help"});
  EXPECT_FALSE(help.run);
  EXPECT_EQ(0, help.status);
  EXPECT_NE(std::string::npos, help.output.find("--pairs LIST"));
  EXPECT_NE(std::string::npos, help.output.find("Exit status"));
  EXPECT_EQ("", help.errors);
  suite::ParsedCommandLine version = parse({"--version", "a"});
  EXPECT_EQ(0, version.status);
  EXPECT_EQ("zudiz-suite " + std::string(zudiz::kVersion) + "\n",
            version.output);
}

TEST(SuiteOptions, FolderRun) {
  suite::ParsedCommandLine parsed =
      parse({"--glob", "*.rpt", "base", "cand", "--glob", "*.lst", "-j", "3",
             "--switches", "/IGNORE%:1 /SKIPF:3", "--json", "r.json", "--shard",
             "2/5", "--numbers", "all", "-v", "--lookahead", "50"});
  ASSERT_TRUE(parsed.run) << parsed.errors;
  const suite::SuiteOptions& o = parsed.options;
  EXPECT_EQ(SuiteMode::kFolders, o.mode);
  EXPECT_EQ((std::vector<std::string>{"base", "cand"}), o.paths);
  EXPECT_EQ((std::vector<std::string>{"*.rpt", "*.lst"}), o.globs);
  EXPECT_EQ(3, o.jobs);
  EXPECT_EQ("/IGNORE%:1 /SKIPF:3", o.switches);
  EXPECT_EQ("r.json", o.json);
  EXPECT_EQ(2, o.shardIndex);
  EXPECT_EQ(5, o.shardCount);
  EXPECT_EQ(suite::kAllNumbers, o.numbersCap);
  EXPECT_EQ(50, o.lookahead);
  EXPECT_TRUE(o.verbose);
}

}  // namespace

namespace {

// The shard `--shard TEXT` gives in an environment of `variables`, as
// "K/N", or the error.
std::string shardIn(const std::string& shardText,
                    const std::map<std::string, std::string>& variables) {
  suite::EnvironmentLookup lookup = [&](const char* name) -> const char* {
    auto it = variables.find(name);
    return it == variables.end() ? nullptr : it->second.c_str();
  };
  suite::ParsedCommandLine parsed = suite::parseOptions(
      {"zudiz-suite", "a", "b", "--shard", shardText}, 2, lookup);
  if (!parsed.run) {
    return parsed.errors.substr(0, parsed.errors.find('\n'));
  }
  return std::to_string(parsed.options.shardIndex) + "/" +
         std::to_string(parsed.options.shardCount);
}

TEST(SuiteOptions, ShardFromTheScheduler) {
  struct Row {
    const char* shardText;
    std::map<std::string, std::string> variables;
    const char* shard;  // "K/N", or a part of the error
  };
  const Row rows[] = {
      {"auto", {{"CI_NODE_INDEX", "2"}, {"CI_NODE_TOTAL", "5"}}, "2/5"},
      {"auto", {{"CI_NODE_INDEX", "5"}, {"CI_NODE_TOTAL", "5"}}, "5/5"},
      {"auto",
       {{"CI_NODE_INDEX", "0"}, {"CI_NODE_TOTAL", "5"}},
       "shard 0 of 5"},
      {"auto", {{"CI_NODE_INDEX", "x"}, {"CI_NODE_TOTAL", "5"}}, "not a count"},
      {"auto", {{"CI_NODE_TOTAL", "5"}}, "only one is set"},
      {"auto/4", {{"CI_NODE_INDEX", "1"}, {"CI_NODE_TOTAL", "5"}}, "gives 5"},
      {"auto",
       {{"SLURM_ARRAY_TASK_ID", "7"},
        {"SLURM_ARRAY_TASK_MIN", "4"},
        {"SLURM_ARRAY_TASK_COUNT", "4"}},
       "4/4"},
      {"auto",
       {{"SLURM_ARRAY_TASK_ID", "0"},
        {"SLURM_ARRAY_TASK_MIN", "0"},
        {"SLURM_ARRAY_TASK_COUNT", "3"}},
       "1/3"},
      {"auto",
       {{"SLURM_ARRAY_TASK_ID", "5"},
        {"SLURM_ARRAY_TASK_MIN", "1"},
        {"SLURM_ARRAY_TASK_STEP", "2"},
        {"SLURM_ARRAY_TASK_COUNT", "3"}},
       "3/3"},
      {"auto",
       {{"SLURM_ARRAY_TASK_ID", "8"},
        {"SLURM_ARRAY_TASK_MIN", "1"},
        {"SLURM_ARRAY_TASK_COUNT", "4"}},
       "shard 8 of 4"},
      {"auto", {{"SLURM_ARRAY_TASK_ID", "3"}}, "SLURM_ARRAY_TASK_MIN is not"},
      {"auto/3", {{"JOB_COMPLETION_INDEX", "0"}}, "1/3"},
      {"auto/3", {{"JOB_COMPLETION_INDEX", "2"}}, "3/3"},
      {"auto/3", {{"JOB_COMPLETION_INDEX", "3"}}, "shard 4 of 3"},
      {"auto", {{"JOB_COMPLETION_INDEX", "0"}}, "give it as --shard auto/N"},
      {"auto",
       {},
       "CI_NODE_INDEX and CI_NODE_TOTAL (GitLab), "
       "SLURM_ARRAY_TASK_ID"},
      {"auto/0", {{"JOB_COMPLETION_INDEX", "0"}}, "K/N, auto or auto/N"},
      {"autox", {}, "K/N, auto or auto/N"},
  };
  for (const Row& row : rows) {
    std::string trace = row.shardText;
    for (const auto& [name, value] : row.variables) {
      trace += " " + name + "=" + value;
    }
    SCOPED_TRACE(trace);
    std::string got = shardIn(row.shardText, row.variables);
    EXPECT_NE(std::string::npos, got.find(row.shard)) << got;
  }
}

TEST(SuiteOptions, AcceptTakesNoRunOptions) {
  suite::ParsedCommandLine parsed = parse(
      {"--accept", "r.json", "--only", "a/*", "--only", "b", "--dry-run"});
  ASSERT_TRUE(parsed.run) << parsed.errors;
  EXPECT_EQ(SuiteMode::kAccept, parsed.options.mode);
  EXPECT_EQ((std::vector<std::string>{"a/*", "b"}), parsed.options.only);
  EXPECT_TRUE(parsed.options.dryRun);
  for (std::vector<std::string> args :
       {std::vector<std::string>{"--accept", "r.json", "base", "cand"},
        {"--accept", "r.json", "--json", "x.json"},
        {"--accept", "r.json", "--merge"},
        {"base", "cand", "--dry-run"},
        {"base", "cand", "--only", "x"}}) {
    EXPECT_EQ(2, parse(args).status) << args[0] << " " << args[2];
  }
}

}  // namespace
