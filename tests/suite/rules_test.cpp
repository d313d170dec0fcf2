#include "suite/rules.h"

#include <gtest/gtest.h>

namespace {

using suite::SwitchRule;

TEST(SwitchRules, OptionSplitsAtTheFirstEquals) {
  SwitchRule rule;
  std::string error;
  ASSERT_TRUE(
      suite::parseRuleOption("loads/*=/IGNORE%:0.5 /X=1", &rule, &error));
  EXPECT_EQ("loads/*", rule.pattern);
  EXPECT_EQ("/IGNORE%:0.5 /X=1", rule.switches);
  EXPECT_EQ("--switches-for 'loads/*=/IGNORE%:0.5 /X=1'", rule.where);
  EXPECT_FALSE(suite::parseRuleOption("loads/*", &rule, &error));
  EXPECT_FALSE(suite::parseRuleOption("=/ALL", &rule, &error));
  EXPECT_NE(std::string::npos, error.find("PATTERN=SWITCHES")) << error;
}

TEST(SwitchRules, FileLines) {
  std::vector<SwitchRule> rules;
  std::string error;
  ASSERT_TRUE(
      suite::parseRulesFile("# suite rules\n"
                            "\n"
                            "loads/*   /IGNORE%:0.5\r\n"
                            "  \"odd name*.rpt\" /SKIPHEAD:4 /ALL\n",
                            "rules.txt", &rules, &error))
      << error;
  ASSERT_EQ(2u, rules.size());
  EXPECT_EQ("loads/*", rules[0].pattern);
  EXPECT_EQ("/IGNORE%:0.5", rules[0].switches);
  EXPECT_EQ("rules.txt line 3", rules[0].where);
  EXPECT_EQ("odd name*.rpt", rules[1].pattern);
  EXPECT_EQ("/SKIPHEAD:4 /ALL", rules[1].switches);

  EXPECT_FALSE(suite::parseRulesFile("a /X\nlonely\n", "r", &rules, &error));
  EXPECT_EQ("r line 2: give PATTERN SWITCHES", error);
  EXPECT_FALSE(suite::parseRulesFile("\"a /X\n", "r", &rules, &error));
  EXPECT_EQ("r line 1: a quote is not closed", error);
}

TEST(SwitchRules, EveryMatchingRuleInOrder) {
  const std::vector<SwitchRule> rules = {
      {"loads/*", "/A", ""}, {"summary*.rpt", "/B", ""}, {"*.rpt", "/C", ""}};
  struct Row {
    const char* name;
    const char* switches;
  };
  const Row rows[] = {{"loads/x.rpt", "/A /C"},
                      {"loads/summary1.rpt", "/A /B /C"},
                      {"other/summary1.rpt", "/B /C"},
                      {"loads/x.lst", "/A"},
                      {"x.lst", ""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.switches, suite::ruleSwitches(rules, row.name));
  }
}

TEST(SwitchRules, ARepeatedListNameMatchesAsItsPath) {
  const std::vector<SwitchRule> rules = {{"*.rpt", "/A", ""}};
  EXPECT_EQ("/A", suite::ruleSwitches(rules, "beams.rpt (line 7)"));
  EXPECT_EQ("beams.rpt", suite::pathOfName("beams.rpt (line 7)"));
  EXPECT_EQ("x (line y)", suite::pathOfName("x (line y)"));
  EXPECT_EQ("x (line )", suite::pathOfName("x (line )"));
}

TEST(SwitchRules, PatternsReachAnyDepth) {
  const std::vector<SwitchRule> rules = {{"loads/**", "/A", ""},
                                         {"**/summary*.rpt", "/B", ""}};
  struct Row {
    const char* name;
    const char* switches;
  };
  const Row rows[] = {
      {"loads/x.rpt", "/A"},          {"loads/deep/er/x.rpt", "/A"},
      {"summary1.rpt", "/B"},         {"a/b/summary1.rpt", "/B"},
      {"loads/summary.rpt", "/A /B"}, {"unloads/x.rpt", ""}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.switches, suite::ruleSwitches(rules, row.name));
  }
}

}  // namespace
