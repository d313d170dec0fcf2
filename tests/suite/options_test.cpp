#include "suite/options.h"

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
             "2/5", "--numbers", "all", "-v"});
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
  EXPECT_TRUE(o.verbose);
}

}  // namespace
