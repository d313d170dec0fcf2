#include "suite/junit_export.h"

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

#ifdef ZUDIZ_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

namespace {

using suite::PairStatus;

TEST(SuiteJunit, EscapesText) {
  struct Row {
    const char* what;
    std::string bytes;
    const char* text;
    const char* attribute;
  };
  const Row rows[] = {
      {"plain", "abc", "abc", "abc"},
      {"markup", "<a & \"b\">", "&lt;a &amp; \"b\"&gt;",
       "&lt;a &amp; &quot;b&quot;&gt;"},
      {"cdata end", "]]>", "]]&gt;", "]]&gt;"},
      {"line ends", "a\r\nb\n", "a&#13;\nb\n", "a&#13;&#10;b&#10;"},
      {"tab", "a\tb", "a\tb", "a&#9;b"},
      {"forbidden controls", std::string("a\0b\x01\x0C\x1F", 6),
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD",
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"apostrophe", "it's", "it's", "it's"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.text, suite::xmlText(row.bytes, false));
    EXPECT_EQ(row.attribute, suite::xmlText(row.bytes, true));
  }
}

#ifdef ZUDIZ_HAVE_PUGIXML
suite::SuiteRun junitRun() {
  suite::SuiteRun run;
  run.seconds = 2.5;
  run.date = "2024-05-01T10:00:00Z";
  suite::PairResult same = suite_test::pairNamed("a<&>.rpt", PairStatus::kSame);
  same.seconds = 0.25;
  run.pairs.push_back(same);
  suite::PairResult different =
      suite_test::pairNamed("level2/sub/b.rpt", PairStatus::kDifferent);
  different.result.counts.linesDiffered = 1;
  zudiz::ListedPair& listed = different.result.pairs.emplace_back();
  listed.line1 = 16;
  listed.line2 = 16;
  listed.page1 = 3;
  listed.page2 = 3;
  listed.lineText1 = "  B1  77.066";
  listed.lineText2 = "  B1  58.114";
  listed.context1 = {"  NAME  MOMENT", "  B0  12.000"};
  listed.context2 = listed.context1;
  different.result.counts.wordDifferences = 2;
  different.result.output =
      "Comparing B vs. B\r\nB  16 + caf\xE9 \x01 ]]> <x>\r\n";
  run.pairs.push_back(different);
  suite::PairResult missing =
      suite_test::pairNamed("c.rpt", PairStatus::kMissing);
  missing.message = "only in baseline: c.rpt";
  run.pairs.push_back(missing);
  suite::PairResult error = suite_test::pairNamed("d.rpt", PairStatus::kError);
  error.message = "Page too large to fit in buffer";
  error.result.output = "*** Page too large to fit in buffer\r\n";
  run.pairs.push_back(error);
  return run;
}

TEST(SuiteJunit, ParsesWithCountsFailuresAndErrors) {
  std::string xml = suite::exportJunit(junitRun());
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_string(xml.c_str());
  ASSERT_TRUE(parsed) << parsed.description() << "\n" << xml;
  pugi::xml_node suiteNode = doc.child("testsuite");
  EXPECT_STREQ("zudiz-suite", suiteNode.attribute("name").value());
  EXPECT_EQ(4, suiteNode.attribute("tests").as_int());
  EXPECT_EQ(2, suiteNode.attribute("failures").as_int());
  EXPECT_EQ(1, suiteNode.attribute("errors").as_int());
  EXPECT_DOUBLE_EQ(2.5, suiteNode.attribute("time").as_double());
  EXPECT_STREQ("2024-05-01T10:00:00", suiteNode.attribute("timestamp").value());

  std::vector<pugi::xml_node> cases;
  for (pugi::xml_node c : suiteNode.children("testcase")) {
    cases.push_back(c);
  }
  ASSERT_EQ(4u, cases.size());
  // The classname is the pair's folder, so CI trees keep the folders.
  EXPECT_STREQ("zudiz", cases[0].attribute("classname").value());
  EXPECT_STREQ("level2.sub", cases[1].attribute("classname").value());
  EXPECT_STREQ("a<&>.rpt", cases[0].attribute("name").value());
  EXPECT_TRUE(cases[0].first_child().empty());
  EXPECT_DOUBLE_EQ(0.25, cases[0].attribute("time").as_double());

  pugi::xml_node failure = cases[1].child("failure");
  ASSERT_FALSE(failure.empty());
  EXPECT_STREQ("different  level2/sub/b.rpt  1 line, 2 words, 0 numbers",
               failure.attribute("message").value());
  // Each listed pair where it stands, with its context, then the listing.
  EXPECT_EQ(
      std::string("baseline page 3, line 16; candidate page 3, line 16\n"
                  "    NAME  MOMENT\n"
                  "    B0  12.000\n"
                  "-   B1  77.066\n"
                  "+   B1  58.114\n\n"
                  "Comparing B vs. B\nB  16 + caf\u00E9 \uFFFD ]]> <x>\n"),
      failure.text().get());

  pugi::xml_node missing = cases[2].child("failure");
  EXPECT_STREQ("missing    only in baseline: c.rpt",
               missing.attribute("message").value());
  EXPECT_STREQ("missing", missing.attribute("type").value());

  pugi::xml_node error = cases[3].child("error");
  ASSERT_FALSE(error.empty());
  EXPECT_STREQ("error      d.rpt: Page too large to fit in buffer",
               error.attribute("message").value());
  EXPECT_TRUE(cases[3].child("failure").empty());
}

TEST(SuiteJunit, ClassNameIsTheFolder) {
  EXPECT_EQ("zudiz", suite::junitClassName("a.rpt"));
  EXPECT_EQ("zudiz", suite::junitClassName("/a.rpt"));
  EXPECT_EQ("level2", suite::junitClassName("level2/a.rpt"));
  EXPECT_EQ("level2.beams", suite::junitClassName("level2/beams/a.rpt"));
  EXPECT_EQ("win.dir", suite::junitClassName("win\\dir\\a.rpt"));
}

TEST(SuiteJunit, AnyBytesStayWellFormed) {
  suite::SuiteRun run;
  std::string bytes;
  for (int b = 0; b < 256; ++b) {
    bytes += static_cast<char>(b);
  }
  suite::PairResult pair = suite_test::pairNamed(bytes, PairStatus::kError);
  pair.message = bytes;
  pair.result.output = bytes + bytes;
  run.pairs.push_back(pair);
  std::string xml = suite::exportJunit(run);
  pugi::xml_document doc;
  pugi::xml_parse_result parsed = doc.load_string(xml.c_str());
  EXPECT_TRUE(parsed) << parsed.description();
}
#endif

TEST(SuiteJunit, EmptySuiteIsOneEmptyTestsuite) {
  std::string xml = suite::exportJunit(suite::SuiteRun{});
  EXPECT_NE(std::string::npos,
            xml.find("<testsuite name=\"zudiz-suite\" tests=\"0\" "
                     "failures=\"0\" errors=\"0\""));
  EXPECT_NE(std::string::npos, xml.find("</testsuite>\n"));
}

TEST(SuiteJunit, TestcaseNamesAreUnique) {
  suite::SuiteRun run;
  for (const char* name : {"a", "a", "a (2)", "b", "a"}) {
    run.pairs.push_back(suite_test::pairNamed(name, PairStatus::kSame));
  }
  std::string xml = suite::exportJunit(run);
  for (const char* name : {"a", "a (2)", "a (2) (2)", "b", "a (3)"}) {
    std::string attribute = std::string("name=\"") + name + "\" ";
    EXPECT_NE(std::string::npos, xml.find(attribute)) << name << "\n" << xml;
  }
}

}  // namespace
