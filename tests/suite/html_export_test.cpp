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
  PairResult pair = listedPair({{89, 89, 0, "77.066", "58.114"}},
                               {{77.066, 58.114, 89, 89, Verdict::kTiny}});
  zudiz::ListedPair& l = pair.result.pairs[0];
  l.page1 = l.page2 = 3;
  // The listed word is the second of two equal ones: its place comes from
  // the records, not from looking for its text.
  l.lineText1 = "  B1  12.5  77.066  77.066";
  l.lineText2 = "  B1  12.5  77.066  58.114";
  l.words1 = l.words2 = {{0, 20, 6}};
  l.context1 = l.context2 = {"  NAME  A  M  M"};
  const std::string page = pageOf({pair});
  EXPECT_NE(std::string::npos,
            page.find("baseline page 3, line 89 \xC2\xB7 candidate page 3, "
                      "line 89"));
  // Both words take the focus; the candidate's holds the values and the
  // verdict of the record of that line (here "below 0.1 %", index 1).
  EXPECT_NE(std::string::npos,
            page.find("<span class=\"ctx\"><span class=\"side\"></span>  "
                      "NAME  A  M  M</span>\n<span class=\"side\">baseline  "
                      "</span>  B1  12.5  77.066  <mark class=\"num\" "
                      "tabindex=\"0\">77.066</mark>\n"
                      "<span class=\"side\">candidate </span>  B1  12.5  "
                      "77.066  <mark class=\"num\" tabindex=\"0\" "
                      "data-n=\"77.066 58.114 1\">58.114</mark>\n</pre>"))
      << page;
  // The whole lines come first, the listing as printed one click away.
  EXPECT_LT(page.find("<pre class=\"change\">"),
            page.find("<details class=\"printed\"><summary>Listing as "
                      "printed</summary><pre class=\"out\""));
}

TEST(HtmlExport, MarksOnlyWordsTheirLinesHold) {
  struct Row {
    const char* what;
    std::vector<zudiz::ListedWord> words1;
    std::string line1;  // between "baseline  </span>" and the line end
  };
  const Row rows[] = {
      {"none", {}, "A 1 B"},
      {"a word", {{0, 2, 1}}, "A <mark>1</mark> B"},
      {"two in line order",
       {{2, 4, 1}, {0, 0, 1}},
       "<mark>A</mark> 1 <mark>B</mark>"},
      {"past the line's end", {{0, 4, 2}}, "A 1 B"},
      {"overlapping", {{0, 0, 3}, {2, 2, 1}}, "<mark>A 1</mark> B"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PairResult pair = listedPair({{1, 1, 0, "A 1 B", "x"}});
    zudiz::ListedPair& l = pair.result.pairs[0];
    l.lineText1 = "A 1 B";
    l.lineText2 = "x";
    l.words1 = row.words1;
    EXPECT_EQ(row.line1, between(pageOf({pair}), "baseline  </span>", "\n"));
  }
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
      // UTF-8 only in part: byte by byte, as the JSON record has it.
      {"na\xC3\xAFve\xFF", "na\xC3\x83\xC2\xAFve\xC3\xBF"},
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

TEST(HtmlExport, ChartMarksTheToleranceThePairsApplied) {
  using Kind = zudiz::Tolerance::Kind;
  const zudiz::Tolerance none;
  const zudiz::Tolerance percent{Kind::kRelative, 1e-4};
  const zudiz::Tolerance twoPercent{Kind::kRelative, 0.02};
  const zudiz::Tolerance absolute{Kind::kAbsolute, 0.5};
  struct Row {
    const char* what;
    std::vector<zudiz::Tolerance> pairs;  // of same pairs
    const char* tolerance;                // data-tolerance, or "" for none
    const char* note;                     // a text of the note, or ""
  };
  const Row rows[] = {
      {"no pairs", {}, "", ""},
      {"none", {none, none}, "", ""},
      {"relative", {percent, percent}, "1e-04", "dotted line"},
      {"two percent", {twoPercent}, "0.02", "dotted line"},
      {"absolute", {absolute}, "", "of 0.5 is absolute"},
      {"pairs differ", {percent, twoPercent}, "", "different /IGNORE"},
      {"one pair without", {none, percent}, "", "different /IGNORE"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<PairResult> pairs;
    for (const zudiz::Tolerance& t : row.pairs) {
      pairs.push_back(pairOf("p.rpt", PairStatus::kSame));
      pairs.back().result.tolerance = t;
    }
    // A pair that was never compared has no say.
    pairs.push_back(pairOf("gone.rpt", PairStatus::kMissing));
    // The switches are not read again: the results say what applied.
    std::string page = pageOf(pairs, "/IGNORE%:7");
    std::string mark = between(page, "data-tolerance=\"", "\"");
    EXPECT_EQ(*row.tolerance == '\0' ? "(no data-tolerance=\")" : row.tolerance,
              mark);
    if (*row.note != '\0') {
      EXPECT_NE(between(page, "<p class=\"note\">", "</p>").find(row.note),
                std::string::npos);
    }
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
