#include "suite/html_export.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace {

using suite::PairResult;
using suite::PairStatus;
using suite::SuiteRun;
using zudiz::Verdict;

std::size_t count(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos;
       at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

// The text between the first `open` after `from` and the next `close`.
std::string between(std::string_view text, std::string_view open,
                    std::string_view close, std::size_t from = 0) {
  std::size_t start = text.find(open, from);
  if (start == std::string_view::npos) {
    return "(no " + std::string(open) + ")";
  }
  start += open.size();
  return std::string(text.substr(start, text.find(close, start) - start));
}

PairResult pairOf(std::string name, PairStatus status,
                  std::string output = "") {
  PairResult pair;
  pair.name = std::move(name);
  pair.status = status;
  pair.result.output = std::move(output);
  return pair;
}

// A program output holding the given listed pairs, labels A.RPT and B.RPT.
std::string outputOf(const std::vector<zudiz::ListedPair>& pairs) {
  std::string out =
      "Comparing A.RPT vs. B.RPT\r\n\r\nFILE   LINE   DIFFERENCES\r\n";
  for (const zudiz::ListedPair& p : pairs) {
    char number[16];
    std::snprintf(number, sizeof number, "%6lld",
                  static_cast<long long>(p.line1));
    out += std::string("A.RPT") + number + "   " + p.text1 + "\r\n";
    std::snprintf(number, sizeof number, "%6lld",
                  static_cast<long long>(p.line2));
    out += std::string("B.RPT") + number + "   " + p.text2 + "\r\n\r\n";
  }
  return out + "         10  Lines compared\r\n";
}

// What the listing prints of a listed pair.
struct Printed {
  std::int64_t line1, line2;
  int extra;
  std::string text1, text2;
};

PairResult listedPair(const std::vector<Printed>& printed,
                      std::vector<zudiz::NumberPair> numbers = {}) {
  std::vector<zudiz::ListedPair> listed;
  for (const Printed& p : printed) {
    zudiz::ListedPair& l = listed.emplace_back();
    l.line1 = p.line1;
    l.line2 = p.line2;
    l.extra = p.extra;
    l.text1 = p.text1;
    l.text2 = p.text2;
  }
  PairResult pair = pairOf("p.rpt", PairStatus::kDifferent, outputOf(listed));
  pair.result.pairs = std::move(listed);
  pair.result.numbers = std::move(numbers);
  return pair;
}

std::string pageOf(std::vector<PairResult> pairs, std::string switches = "",
                   std::size_t maxNumbers = 100) {
  SuiteRun run;
  run.version = "1.0";
  run.switches = std::move(switches);
  run.baseline = "base";
  run.candidate = "cand";
  run.pairs = std::move(pairs);
  return suite::exportHtml(run, maxNumbers);
}

// --- Escaping ----------------------------------------------------------------

TEST(HtmlExport, HostileTextsRunNothingWhereverTheyStand) {
  const std::string hostile =
      "<script>alert(1)</script>\"><img src=x onerror=alert(2)>"
      "</textarea></pre>'<x-evil a='b'>{{rows}}&amp;";
  const std::string escaped =
      "&lt;script&gt;alert(1)&lt;/script&gt;&quot;&gt;&lt;img src=x "
      "onerror=alert(2)&gt;&lt;/textarea&gt;&lt;/pre&gt;&#39;&lt;x-evil "
      "a=&#39;b&#39;&gt;{{rows}}&amp;amp;";
  struct Place {
    const char* what;
    std::function<void(SuiteRun&)> put;
  };
  const Place places[] = {
      {"baseline folder", [&](SuiteRun& r) { r.baseline = hostile; }},
      {"candidate folder", [&](SuiteRun& r) { r.candidate = hostile; }},
      {"switches", [&](SuiteRun& r) { r.switches = hostile; }},
      {"date", [&](SuiteRun& r) { r.date = hostile; }},
      {"version", [&](SuiteRun& r) { r.version = hostile; }},
      {"shard", [&](SuiteRun& r) { r.shard = hostile; }},
      {"pair name", [&](SuiteRun& r) { r.pairs[0].name = hostile; }},
      {"pair baseline", [&](SuiteRun& r) { r.pairs[0].baseline = hostile; }},
      {"pair candidate", [&](SuiteRun& r) { r.pairs[0].candidate = hostile; }},
      {"pair switches", [&](SuiteRun& r) { r.pairs[0].switches = hostile; }},
      {"message", [&](SuiteRun& r) { r.pairs[0].message = hostile; }},
      {"output", [&](SuiteRun& r) { r.pairs[0].result.output = hostile; }},
      {"listed text",
       [&](SuiteRun& r) {
         r.pairs[0] = listedPair({{1, 1, 0, hostile, "x"}});
       }},
      {"listed line and context",
       [&](SuiteRun& r) {
         r.pairs[0] = listedPair({{1, 1, 0, "x", "y"}});
         zudiz::ListedPair& l = r.pairs[0].result.pairs[0];
         l.lineText1 = hostile;
         l.lineText2 = "y " + hostile;
         l.context1 = {hostile};
       }},
  };
  for (const Place& place : places) {
    SCOPED_TRACE(place.what);
    SuiteRun run;
    run.pairs.push_back(pairOf("p.rpt", PairStatus::kDifferent, "output\r\n"));
    place.put(run);
    std::string page = suite::exportHtml(run);
    EXPECT_NE(page.find(escaped), std::string::npos);
    EXPECT_EQ(1u, count(page, "<script"));  // the page's own
    EXPECT_EQ(0u, count(page, "<img"));
    EXPECT_EQ(0u, count(page, "<x-evil"));
    EXPECT_EQ(0u, count(page, "</textarea"));
    // The listing's own and one per listed pair shown in context.
    EXPECT_EQ(1u + run.pairs[0].result.pairs.size(), count(page, "</pre>"));
    // Filled once: the data's {{rows}} is not filled in again.
    EXPECT_EQ(1u, count(page, "data-pair="));
  }
}

// Each listed pair where it stands: the baseline's whole line above the
// candidate's, the listed words marked in place, the context muted.
TEST(HtmlExport, ListedPairsShowInTheirWholeLines) {
  PairResult pair = listedPair({{89, 89, 0, "77.066", "58.114"}});
  zudiz::ListedPair& l = pair.result.pairs[0];
  l.page1 = l.page2 = 3;
  l.lineText1 = "  B1  12.5  77.066  77.066";
  l.lineText2 = "  B1  12.5  58.114  77.066";
  l.context1 = l.context2 = {"  NAME  A  M  M"};
  const std::string page = pageOf({pair});
  EXPECT_NE(std::string::npos,
            page.find("baseline page 3, line 89 \xC2\xB7 candidate page 3, "
                      "line 89"));
  EXPECT_NE(std::string::npos,
            page.find("<span class=\"ctx\"><span class=\"side\"></span>  "
                      "NAME  A  M  M</span>\n<span class=\"side\">baseline  "
                      "</span>  B1  12.5  <mark>77.066</mark>  77.066\n"
                      "<span class=\"side\">candidate </span>  B1  12.5  "
                      "<mark>58.114</mark>  77.066\n</pre>"))
      << page;
  EXPECT_EQ(1u, count(page, "In context:"));
}

TEST(HtmlExport, ReportBytesShowAsLatin1AndControlSymbols) {
  std::string output("A\xE9\xFF\x00\x1B\x7F\tB\r\nC\rD\r\n", 15);
  std::string page = pageOf({pairOf("p.rpt", PairStatus::kError, output)});
  EXPECT_EQ(
      "A\xC3\xA9\xC3\xBF\xE2\x90\x80\xE2\x90\x9B\xE2\x90\xA1\tB\nC\xE2\x90\x8D"
      "D\n",
      between(page, "<pre class=\"out\">", "</pre>"));
}

TEST(HtmlExport, NamesShowAsUtf8WhereValid) {
  struct Row {
    std::string name;
    std::string shown;
  };
  const Row rows[] = {
      {"na\xC3\xAFve.rpt", "na\xC3\xAFve.rpt"},
      {"\xF0\x9F\x93\x84.rpt", "\xF0\x9F\x93\x84.rpt"},
      {"\xFF.rpt", "\xC3\xBF.rpt"},                  // no UTF-8 lead byte
      {"\xC3(.rpt", "\xC3\x83(.rpt"},                // broken sequence
      {"\xC0\xAF.rpt", "\xC3\x80\xC2\xAF.rpt"},      // overlong "/"
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // surrogate
      {"\xF4\x90\x80\x80",
       "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},  // past U+10FFFF
      {"\xE2\x82", "\xC3\xA2\xC2\x82"},      // cut short
      {"tab\tnl\n", "tab\tnl\n"},
      {std::string("nul\0", 4), "nul\xE2\x90\x80"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.shown);
    std::string page = pageOf({pairOf(row.name, PairStatus::kSame)});
    EXPECT_EQ(row.shown, between(page, "data-pair=\"", "\""));
  }
}

// --- Structure ---------------------------------------------------------------

TEST(HtmlExport, OneRowPerPairDifferentFirstAndListingsOnlyWhereUseful) {
  std::vector<PairResult> pairs = {
      pairOf("a-same.rpt", PairStatus::kSame, "Comparing A vs. A\r\n"),
      pairOf("b-missing.rpt", PairStatus::kMissing),
      pairOf("c-error.rpt", PairStatus::kError, "*** Page too large\r\n"),
      pairOf("d-different.rpt", PairStatus::kDifferent, "Comparing D\r\n"),
      pairOf("e-error-silent.rpt", PairStatus::kError),
      pairOf("f-different.rpt", PairStatus::kDifferent, "Comparing F\r\n"),
  };
  pairs[1].message = "only in baseline: b-missing.rpt";
  std::string page = pageOf(pairs);

  std::vector<std::string> order;
  for (std::size_t at = page.find("<tr data-pair=\""); at != std::string::npos;
       at = page.find("<tr data-pair=\"", at + 1)) {
    order.push_back(between(page, "data-pair=\"", "\"", at) + " " +
                    between(page, "data-status=\"", "\"", at));
  }
  EXPECT_EQ((std::vector<std::string>{
                "d-different.rpt different", "f-different.rpt different",
                "c-error.rpt error", "e-error-silent.rpt error",
                "b-missing.rpt missing", "a-same.rpt same"}),
            order);
  // Listings follow their rows; same, missing and output-less pairs have none.
  EXPECT_EQ(3u, count(page, "<tr class=\"listing\""));
  EXPECT_NE(page.find("<a href=\"#l3\">d-different.rpt</a>"),
            std::string::npos);
  EXPECT_NE(page.find("id=\"l3\""), std::string::npos);
  EXPECT_EQ(page.find("Comparing A vs. A"), std::string::npos);
  EXPECT_NE(page.find("only in baseline: b-missing.rpt"), std::string::npos);
  EXPECT_NE(page.find("<li class=\"s-different\"><b>2</b> different</li>"),
            std::string::npos);
  EXPECT_EQ(0u, count(page, "{{"));
}

TEST(HtmlExport, ListedPairsCarryTheirColumns) {
  std::string page = pageOf({listedPair({
      {16, 16, 2, "", "B110A 4.50  ADDED"},
      {25, 26, 0, "0.316 PASS   x", "0.386 REVIEW"},
  })});
  EXPECT_EQ("14", between(page, "data-col=\"", "\""));
  EXPECT_EQ(2u, count(page, "<span class=\"d\""));
  EXPECT_EQ("0 6 12", between(page, "<span class=\"d\" data-c=\"", "\""));
  EXPECT_EQ("0 6 13", between(page, "data-c=\"", "\"",
                              page.find("<span class=\"d\"",
                                        page.find("<span class=\"d\"") + 1)));
  // The spans hold both lines, and nothing of the text changes.
  EXPECT_NE(page.find("A.RPT    25   0.316 PASS   x\nB.RPT    26   0.386 "
                      "REVIEW</span>"),
            std::string::npos);
}

TEST(HtmlExport, OutputThatDoesNotHoldTheListedPairsStaysPlain) {
  PairResult pair = listedPair({{3, 3, 0, "1.5", "2.5"}});
  pair.result.pairs[0].text2 = "3.5";  // not what the output shows
  std::string page = pageOf({pair});
  EXPECT_EQ(0u, count(page, "<span class=\"d\""));
  EXPECT_EQ(0u, count(page, "data-col="));
  EXPECT_NE(page.find("A.RPT     3   1.5\nB.RPT     3   2.5\n"),
            std::string::npos);
}

TEST(HtmlExport, NumberRecordsMatchTheirColumns) {
  std::string page = pageOf({listedPair(
      {{7, 8, 0, "ROW 1.5    12kN 7", "ROX 1.5001 13kN 7.0004"}},
      {
          {1.5, 1.5001, 7, 8, Verdict::kTiny},
          {12, 13, 7, 8, Verdict::kListed},
          {7, 7.0004, 9, 9, Verdict::kListed},  // another line: no match
      })});
  EXPECT_EQ("1:1.5:1.5001:1 2:12:13:0", between(page, "data-n=\"", "\""));
}

TEST(HtmlExport, KeepsTheLargestNumberRecordsTiesInFileOrder) {
  // Relative differences by the mean 2/3, 0.105, 2/3, 0.222; two kept: the
  // two of 2/3.
  PairResult pair = listedPair({{1, 1, 0, "2 10 4 5", "1 9  2 4"}},
                               {
                                   {2, 1, 1, 1, Verdict::kListed},
                                   {10, 9, 1, 1, Verdict::kListed},
                                   {4, 2, 1, 1, Verdict::kListed},
                                   {5, 4, 1, 1, Verdict::kListed},
                               });
  EXPECT_EQ("0:2:1:0 2:4:2:0",
            between(pageOf({pair}, "", 2), "data-n=\"", "\""));
  EXPECT_EQ("0:2:1:0 1:10:9:0 2:4:2:0 3:5:4:0",
            between(pageOf({pair}, "", 4), "data-n=\"", "\""));
  EXPECT_EQ(0u, count(pageOf({pair}, "", 0), "data-n="));
  // The largest relative difference counts every record, kept or not.
  EXPECT_EQ("0.6666666666666666",
            between(pageOf({pair}, "", 0), "<td data-v=\"", "\""));
}

// --- Chart -------------------------------------------------------------------

TEST(HtmlExport, ChartAddsUpTheHistogramsOfAllPairs) {
  PairResult one = pairOf("one.rpt", PairStatus::kSame);
  PairResult two = pairOf("two.rpt", PairStatus::kDifferent);
  one.result.histogram.counts[0][1] = 3;
  one.result.histogram.counts[7][0] = 2;
  two.result.histogram.counts[7][0] = 5;
  two.result.histogram.counts[7][3] = 1;
  two.result.histogram.counts[10][0] = 4;
  std::string page = pageOf({one, two});
  const std::pair<int, std::string> bars[] = {{0, "3"}, {1, "0"}, {6, "0"},
                                              {7, "8"}, {9, "0"}, {10, "4"}};
  for (const auto& [bucket, total] : bars) {
    SCOPED_TRACE(bucket);
    std::string bar = "data-bucket=\"" + std::to_string(bucket) + "\"";
    EXPECT_EQ(total, between(page, "data-count=\"", "\"", page.find(bar)));
  }
  std::string bar7 = between(page, "data-bucket=\"7\"", "</g>");
  EXPECT_EQ(2u, count(bar7, "<rect"));
  EXPECT_NE(bar7.find("data-verdict=\"listed\" data-count=\"7\""),
            std::string::npos);
  EXPECT_NE(bar7.find("data-verdict=\"within_tolerance\" data-count=\"1\""),
            std::string::npos);
  EXPECT_EQ(0u, count(between(page, "data-bucket=\"1\"", "</g>"), "<rect"));
  EXPECT_NE(page.find("listed (11)"), std::string::npos);
  EXPECT_EQ(0u, count(page, "No unequal numbers"));
  EXPECT_NE(pageOf({}).find("No unequal numbers"), std::string::npos);
}

TEST(HtmlExport, ChartMarksTheIgnoreToleranceOfTheSwitches) {
  struct Row {
    const char* switches;
    const char* tolerance;  // data-tolerance, or "" for no mark
    bool absolute;
  };
  const Row rows[] = {
      {"", "", false},
      {"/SKIPH:3 /ALL", "", false},
      {"/IGNORE", "1e-04", false},
      {"/i", "1e-04", false},
      {"/IG%", "1e-04", false},
      {"/IGNORE%:2", "0.02", false},
      {"/ignore%:0.5", "0.005", false},
      {"/Ignore%:1 /IGNORE%:3", "0.03", false},
      {"/SKIPF:2/I%:10", "0.1", false},
      {"/IGNORE:0.5", "", true},
      {"/IGNORE:0.5 /IGNORE", "1e-04", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.switches);
    std::string page = pageOf({}, row.switches);
    std::string mark = between(page, "data-tolerance=\"", "\"");
    EXPECT_EQ(*row.tolerance == '\0' ? "(no data-tolerance=\")" : row.tolerance,
              mark);
    EXPECT_EQ(row.absolute, page.find("is absolute") != std::string::npos);
  }
}

TEST(HtmlExport, SaysWhenNumberRecordsWereCut) {
  PairResult full =
      listedPair({{1, 1, 0, "1", "2"}}, {{1, 2, 1, 1, Verdict::kListed}});
  PairResult cut = full;
  cut.result.numbersCut = true;
  EXPECT_EQ(0u, count(pageOf({full}), "class=\"note cut\""));
  EXPECT_EQ(1u, count(pageOf({full}, "", 0), "class=\"note cut\""));
  EXPECT_EQ(1u, count(pageOf({cut}), "class=\"note cut\""));
  EXPECT_NE(pageOf({cut, full}, "", 0).find("In 2 pairs more"),
            std::string::npos);
}

TEST(HtmlExport, ShowsTheLookaheadOnlyWhenItIsNotOne) {
  SuiteRun run;
  run.version = "1.0";
  run.baseline = "base";
  run.candidate = "cand";
  EXPECT_EQ(std::string::npos, suite::exportHtml(run).find("Look-ahead"));
  run.lookahead = 10;
  EXPECT_NE(std::string::npos,
            suite::exportHtml(run).find("Look-ahead</dt><dd>10 lines"));
}

}  // namespace
