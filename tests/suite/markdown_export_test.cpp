#include "suite/markdown_export.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

namespace {

using suite::PairStatus;

std::size_t countOf(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + part.size())) {
    ++n;
  }
  return n;
}

suite::PairResult changedPair(std::string name, int changes) {
  suite::PairResult pair =
      suite_test::pairNamed(std::move(name), PairStatus::kDifferent);
  zudiz::Result& r = pair.result;
  r.counts.linesDiffered = changes;
  r.counts.numericDifferences = changes;
  for (int i = 0; i < changes; ++i) {
    zudiz::ListedPair& l = r.pairs.emplace_back();
    l.line1 = l.line2 = 10 + i;
    l.page1 = l.page2 = 2;
    l.lineText1 = "  B" + std::to_string(i) + "  77.066";
    l.lineText2 = "  B" + std::to_string(i) + "  58.114";
    l.context1 = l.context2 = {"  NAME  MOMENT"};
  }
  r.largest = zudiz::NumberPair{80, 50, 10, 10, zudiz::Verdict::kListed};
  return pair;
}

TEST(SuiteMarkdown, TotalsTableAndChanges) {
  suite::SuiteRun run;
  run.pairs.push_back(suite_test::pairNamed("same.rpt", PairStatus::kSame));
  run.pairs.push_back(changedPair("level2/beams.rpt", 5));
  suite::PairResult missing =
      suite_test::pairNamed("gone.rpt", PairStatus::kMissing);
  missing.message = "only in baseline: gone.rpt";
  run.pairs.push_back(missing);
  const std::string md = suite::exportMarkdown(run);
  EXPECT_EQ(0u, md.find("### zudiz-suite: 3 pairs: 1 same, 1 different, "
                        "1 missing, 0 errors in 0.00 s\n"))
      << md;
  EXPECT_NE(std::string::npos,
            md.find("| different | level2/beams.rpt | 5 | 0 | 5 | 46.2 % |\n"))
      << md;
  EXPECT_NE(std::string::npos,
            md.find("| missing | gone.rpt — only in baseline: gone.rpt |"));
  EXPECT_EQ(std::string::npos, md.find("same.rpt"));
  // The first three changes, each where it stands, in a diff block.
  EXPECT_EQ(3u, countOf(md, "baseline page 2, line 1"));
  EXPECT_NE(std::string::npos,
            md.find("```diff\n    NAME  MOMENT\n-   B0  77.066\n"
                    "+   B0  58.114\n```\n"))
      << md;
  EXPECT_NE(std::string::npos, md.find("… and 2 more listed changes"));
  EXPECT_EQ(std::string::npos, md.find("more pairs"));
}

TEST(SuiteMarkdown, TextsShowAsWritten) {
  suite::SuiteRun run;
  suite::PairResult pair = changedPair("a|b*_[x]<i>&.rpt", 1);
  pair.result.pairs[0].lineText1 = "``` \x84\x01";
  run.pairs.push_back(pair);
  const std::string md = suite::exportMarkdown(run);
  EXPECT_NE(std::string::npos,
            md.find("| a\\|b\\*\\_\\[x\\]&lt;i&gt;&amp;.rpt |"));
  // A fence longer than any backtick run in the block; each report byte one
  // character, control bytes as their symbols.
  EXPECT_NE(std::string::npos,
            md.find("````diff\n    NAME  MOMENT\n- ``` \u0084\u2401\n"))
      << md;
}

TEST(SuiteMarkdown, StaysUnderTheLimit) {
  suite::SuiteRun run;
  for (int i = 0; i < 5000; ++i) {
    run.pairs.push_back(
        changedPair("folder/pair" + std::to_string(10000 + i) + ".rpt", 4));
  }
  const std::string md = suite::exportMarkdown(run);
  EXPECT_LT(md.size(), suite::kMarkdownLimit);
  const std::size_t rows = countOf(md, "| different |");
  ASSERT_GT(rows, 100u);
  ASSERT_LT(rows, 5000u);
  EXPECT_NE(
      std::string::npos,
      md.find("\n… and " + std::to_string(5000 - rows) + " more pairs\n"));
  EXPECT_EQ(md.size(), md.rfind(" more pairs\n") + 12);
  // A smaller limit holds too.
  EXPECT_LE(suite::exportMarkdown(run, 2000).size(), 2000u);
}

}  // namespace
