// The spool of a run and the reports that stream from it: records come
// back whole, the temporary folder is left as it was, merged shards keep
// the pair order, and reports of large runs stay within their bounds.
#include "suite/spool.h"

#include <cstdio>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>

#include <gtest/gtest.h>

#include "suite/html_export.h"
#include "suite/json_export.h"
#include "suite/junit_export.h"
#include "suite/suite_test_support.h"

namespace {

using suite::PairResult;
using suite::PairStatus;
using suite_test::pairNamed;

// A pair with every field set to something of its own.
PairResult fullPair(const std::string& name) {
  PairResult pair = pairNamed(name, PairStatus::kDifferent);
  pair.baseline = "a/" + name;
  pair.candidate = "b/" + name;
  pair.switches = "/ALL";
  pair.message = std::string("bytes \x00\xff", 8);
  pair.bytes = 1234;
  pair.baselineFile = {"a/" + name, true, 10, -5};
  pair.candidateFile = {"b/" + name, false, 0, 0};
  pair.seconds = 0.25;
  zudiz::Result& r = pair.result;
  r.status = zudiz::Status::kDifferent;
  r.message = "m";
  r.output = "Comparing\r\nlines\r\n";
  r.counts = {1, 2, 3, 4, 5, 6, 7};
  zudiz::ListedPair listed;
  listed.line1 = 3;
  listed.line2 = 4;
  listed.extra = 2;
  listed.text1 = "X 1.0";
  listed.text2 = "X 2.0";
  listed.page1 = 1;
  listed.page2 = 2;
  listed.lineText1 = "  X 1.0";
  listed.lineText2 = "  X 2.0";
  listed.context1 = {"", "head"};
  listed.context2 = {"head"};
  listed.words1 = {{0, 2, 1}, {2, 4, 3}};
  listed.words2 = {{2, 4, 3}};
  r.pairs = {listed, zudiz::ListedPair{}};
  r.numbers = {{1.0, 2.0, 3, 4, zudiz::Verdict::kTiny}};
  r.numbersCut = true;
  r.histogram.counts[0][1] = 7;
  r.histogram.counts[10][3] = 9;
  r.largest = zudiz::NumberPair{1.0, 3.0, 5, 6, zudiz::Verdict::kListed};
  r.tolerance = {zudiz::Tolerance::Kind::kAbsolute, 0.5};
  return pair;
}

void expectSamePair(const PairResult& want, const PairResult& got) {
  EXPECT_EQ(want.name, got.name);
  EXPECT_EQ(want.baseline, got.baseline);
  EXPECT_EQ(want.candidate, got.candidate);
  EXPECT_EQ(want.switches, got.switches);
  EXPECT_EQ(want.status, got.status);
  EXPECT_EQ(want.message, got.message);
  EXPECT_EQ(want.bytes, got.bytes);
  for (auto [a, b] : {std::pair{&want.baselineFile, &got.baselineFile},
                      std::pair{&want.candidateFile, &got.candidateFile}}) {
    EXPECT_EQ(a->path, b->path);
    EXPECT_EQ(a->exists, b->exists);
    EXPECT_EQ(a->size, b->size);
    EXPECT_EQ(a->mtimeNs, b->mtimeNs);
  }
  EXPECT_EQ(want.seconds, got.seconds);
  EXPECT_TRUE(want.result == got.result);
}

// The temporary-folder checks are POSIX-only: a Windows scratch file keeps
// its name until it is closed.
#ifndef _WIN32
std::set<std::string> namesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Points TMPDIR at a folder for the life of the object.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const std::string& path) {
    const char* old = std::getenv("TMPDIR");
    had_ = old != nullptr;
    old_ = had_ ? old : "";
    setenv("TMPDIR", path.c_str(), 1);
  }
  ~TemporaryFolder() {
    if (had_) {
      setenv("TMPDIR", old_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

 private:
  bool had_ = false;
  std::string old_;
};
#endif

TEST(SuiteSpool, RecordsComeBackWhole) {
  const PairResult pairs[] = {fullPair("one"), pairNamed("", PairStatus::kSame),
                              pairNamed("gone", PairStatus::kMissing),
                              fullPair(std::string(70000, 'x'))};
  suite::PairSpool spool;
  std::string error;
  ASSERT_TRUE(spool.open(&error)) << error;
  for (const PairResult& pair : pairs) {
    ASSERT_TRUE(spool.append(pair, &error)) << error;
  }
  ASSERT_EQ(std::size(pairs), spool.size());
  // Read in any order, and written again after a read.
  for (std::size_t i : {3, 0, 2, 1}) {
    SCOPED_TRACE(i);
    expectSamePair(pairs[i], spool.at(i));
    EXPECT_EQ(pairs[i].status, spool.brief(i).status);
  }
  ASSERT_TRUE(spool.append(pairs[0], &error));
  expectSamePair(pairs[0], spool.at(4));
  expectSamePair(pairs[3], spool.at(3));
}

TEST(SuiteSpool, CutRecordIsRefused) {
  std::string bytes;
  suite::encodePair(fullPair("p"), &bytes);
  PairResult pair;
  ASSERT_TRUE(suite::decodePair(bytes, &pair));
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_FALSE(
        suite::decodePair(std::string_view(bytes).substr(0, cut), &pair))
        << "cut at " << cut;
  }
  EXPECT_FALSE(suite::decodePair(bytes + "x", &pair));
}

#ifndef _WIN32
TEST(SuiteSpool, LeavesTheTemporaryFolderAsItWas) {
  suite_test::TempDir dir;
  dir.write("keep.txt", "mine");
  TemporaryFolder tmp(dir.path().string());
  {
    suite::PairSpool spool;
    std::string error;
    ASSERT_TRUE(spool.open(&error)) << error;
    for (int i = 0; i < 100; ++i) {
      ASSERT_TRUE(spool.append(fullPair(std::to_string(i)), &error));
    }
    spool.at(50);
    EXPECT_EQ(std::set<std::string>{"keep.txt"}, namesIn(dir.path()));
  }
  EXPECT_EQ(std::set<std::string>{"keep.txt"}, namesIn(dir.path()));
  EXPECT_EQ("mine", suite_test::readFile(dir / "keep.txt"));
}

TEST(SuiteSpool, UnusableTemporaryFolderIsAnError) {
  suite_test::TempDir dir;
  TemporaryFolder tmp((dir / "missing").c_str());
  suite::PairSpool spool;
  std::string error;
  EXPECT_FALSE(spool.open(&error));
  EXPECT_NE(std::string::npos, error.find("cannot create a temporary file"))
      << error;
}
#endif

// Shards are cut from the pair order taking every Nth pair; merging them
// gives that order back, the same way whether or not the runs are known
// to be sorted. Equal pairs keep the order of their runs.
TEST(SuiteSpool, MergedOrderOfShards) {
  struct Case {
    const char* what;
    std::vector<std::vector<std::string>> runs;
    std::vector<std::size_t> order;
  };
  const Case cases[] = {
      {"one run", {{"a", "b", "c"}}, {0, 1, 2}},
      {"three shards", {{"a", "d"}, {"b", "e"}, {"c"}}, {0, 2, 4, 1, 3}},
      {"an empty shard", {{}, {"a", "c"}, {"b"}}, {0, 2, 1}},
      {"equal names", {{"a", "x"}, {"a", "x"}}, {0, 2, 1, 3}},
      {"none", {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<PairResult> pairs;
    std::vector<std::size_t> starts;
    for (const auto& run : c.runs) {
      starts.push_back(pairs.size());
      for (const std::string& name : run) {
        pairs.push_back(pairNamed(name, PairStatus::kSame));
      }
    }
    suite::VectorPairs source(pairs);
    EXPECT_EQ(c.order, suite::mergedOrder(source, starts, true));
    EXPECT_EQ(c.order, suite::mergedOrder(source, starts, false));
  }
  // A run out of order is sorted when it is not known to be in order.
  std::vector<PairResult> pairs = {pairNamed("b", PairStatus::kSame),
                                   pairNamed("a", PairStatus::kSame)};
  EXPECT_EQ((std::vector<std::size_t>{1, 0}),
            suite::mergedOrder(suite::VectorPairs(pairs), {0}, false));
}

suite::SuiteRun runOf(std::vector<PairResult> pairs) {
  suite::SuiteRun run;
  run.version = "1.0";
  run.baseline = "a";
  run.candidate = "b";
  run.pairs = std::move(pairs);
  return run;
}

std::FILE* fileWith(const suite_test::TempDir& dir, const std::string& text) {
  return std::fopen(dir.write("r.json", text).c_str(), "rb");
}

TEST(SuiteJsonStream, ReadsEachPairAsImportDoes) {
  suite::SuiteRun run = runOf({fullPair("a"), pairNamed("b", PairStatus::kSame),
                               pairNamed("c", PairStatus::kMissing)});
  run.shard = "2/3";
  const std::string text = suite::exportJson(run);
  suite::SuiteRun imported;
  std::string error;
  ASSERT_TRUE(suite::importJson(text, &imported, &error)) << error;

  suite_test::TempDir dir;
  std::FILE* file = fileWith(dir, text);
  ASSERT_NE(nullptr, file);
  suite::SuiteRun facts;
  std::vector<PairResult> got;
  const bool read = suite::readJson(
      file, &facts,
      [&](PairResult&& pair, std::string*) {
        got.push_back(std::move(pair));
        return true;
      },
      &error);
  std::fclose(file);
  ASSERT_TRUE(read) << error;
  EXPECT_TRUE(facts.pairs.empty());
  EXPECT_EQ("2/3", facts.shard);
  EXPECT_EQ("a", facts.baseline);
  ASSERT_EQ(imported.pairs.size(), got.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    expectSamePair(imported.pairs[i], got[i]);
  }
}

TEST(SuiteJsonStream, FormatAfterThePairsAndErrors) {
  struct Case {
    const char* text;
    bool ok;
    std::size_t pairs;
    const char* error;
  };
  const Case cases[] = {
      {R"({"pairs":[{"name":"x","status":"same"}],"format":"zudiz-suite/2"})",
       true, 1, ""},
      {R"({"format":"zudiz-suite/2","pairs":[{"name":"x","status":"odd"}]})",
       false, 0, "unknown status"},
      {R"({"format":"other","pairs":[]})", false, 0, "not a zudiz-suite"},
      {R"({"format":"zudiz-suite/2","pairs":[{"name":"stop","status":"same"}]})",
       false, 0, "receiver says no"},
      {R"({"format":"zudiz-suite/2","pairs":[)", false, 0, "parse error"},
  };
  suite_test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::FILE* file = fileWith(dir, c.text);
    ASSERT_NE(nullptr, file);
    suite::SuiteRun run;
    std::string error;
    std::size_t pairs = 0;
    const bool ok = suite::readJson(
        file, &run,
        [&](PairResult&& pair, std::string* why) {
          if (pair.name == "stop") {
            *why = "receiver says no";
            return false;
          }
          ++pairs;
          return true;
        },
        &error);
    std::fclose(file);
    EXPECT_EQ(c.ok, ok);
    EXPECT_EQ(c.pairs, pairs);
    EXPECT_NE(std::string::npos, error.find(c.error)) << error;
  }
}

TEST(SuiteJunit, FailureTextIsCapped) {
  PairResult pair = pairNamed("big", PairStatus::kDifferent);
  pair.result.pairs.resize(suite::kJunitListedPairs + 5);
  for (std::size_t i = 0; i < pair.result.pairs.size(); ++i) {
    pair.result.pairs[i].line1 = 1;
    pair.result.pairs[i].line2 = 1;
    pair.result.pairs[i].lineText1 = "W" + std::to_string(i) + "a";
    pair.result.pairs[i].lineText2 = "W" + std::to_string(i) + "b";
  }
  for (std::size_t i = 0; i < suite::kJunitListingLines + 50; ++i) {
    pair.result.output += "L" + std::to_string(i) + "\r\n";
  }
  const std::string xml = suite::exportJunit(runOf({pair}));
  EXPECT_NE(std::string::npos, xml.find("W19a"));
  EXPECT_EQ(std::string::npos, xml.find("W20a"));
  EXPECT_NE(std::string::npos, xml.find("… 5 more listed pairs"));
  EXPECT_NE(std::string::npos, xml.find("L99\n"));
  EXPECT_EQ(std::string::npos, xml.find("L100\n"));
  EXPECT_NE(std::string::npos, xml.find("… 50 more lines of the listing"));
}

// A pair that differs in `lines` lines, with a listing to match.
PairResult changedPair(const std::string& name, int lines) {
  PairResult pair = pairNamed(name, PairStatus::kDifferent);
  pair.baseline = "a/" + name;
  pair.candidate = "b/" + name;
  pair.result.status = zudiz::Status::kDifferent;
  pair.result.counts.linesDiffered = lines;
  for (int i = 0; i < lines; ++i) {
    pair.result.output +=
        "FILE " + std::to_string(i) + " " + std::string(200, 'z') + "\r\n";
  }
  return pair;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos;
       at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

TEST(SuiteHtmlBudget, LargeRunKeepsWithinItsBudget) {
  std::vector<PairResult> pairs;
  for (int i = 0; i < 300; ++i) {
    pairs.push_back(
        pairNamed("same/s" + std::to_string(i) + ".rpt", PairStatus::kSame));
  }
  for (int i = 0; i < 40; ++i) {
    pairs.push_back(
        changedPair("diff/d" + std::to_string(i) + ".rpt", i == 7 ? 60 : 5));
  }
  pairs.push_back(pairNamed("gone.rpt", PairStatus::kMissing));
  const suite::SuiteRun run = runOf(pairs);
  const std::string whole = suite::exportHtml(run);
  EXPECT_EQ(std::string::npos, whole.find("leaves out"));

  const std::size_t budget = suite::exportHtml(runOf({})).size() + 70'000;
  suite::StringSink sink;
  suite::writeHtml(run, suite::VectorPairs(run.pairs), sink, 100, budget);
  const std::string& page = sink.text();
  EXPECT_LT(page.size(), budget);
  EXPECT_LT(page.size(), whole.size());
  // Every pair that is not the same keeps its row.
  for (const char* status :
       {"data-status=\"different\"", "data-status=\"missing\""}) {
    EXPECT_EQ(count(whole, status), count(page, status)) << status;
  }
  // The pair that changed most keeps its listing; not every pair does.
  EXPECT_NE(std::string::npos, page.find("id=\"l307\""));
  EXPECT_LT(count(page, "class=\"listing\""), 40u);
  // The page says what it left out, counts the same pairs by folder and
  // points to the JSON record.
  EXPECT_NE(std::string::npos, page.find("This page leaves out"));
  EXPECT_NE(std::string::npos, page.find("<td>same</td><td>300</td>"));
  EXPECT_NE(std::string::npos, page.find("JSON record"));
}

// A page of more rows than it writes as HTML holds them as data for its
// script: every row once, texts that cannot end the script element, the
// listings it keeps as text, and a word for readers without script.
TEST(SuiteHtmlBudget, ManyRowsGoToThePageAsData) {
  std::vector<PairResult> pairs;
  for (int i = 0; i < 5; ++i) {
    pairs.push_back(
        pairNamed("same/s" + std::to_string(i) + ".rpt", PairStatus::kSame));
  }
  pairs.push_back(changedPair("diff/</script><!--x.rpt", 3));
  PairResult odd = pairNamed("odd\xFF.rpt", PairStatus::kError);
  odd.message = "cannot open \"x\"\x01";
  odd.switches = "/ALL";
  pairs.push_back(odd);
  const suite::SuiteRun run = runOf(pairs);
  const std::string rows = suite::exportHtml(run);
  EXPECT_EQ(std::string::npos, rows.find("id=\"pair-data\""));

  suite::StringSink sink;
  suite::writeHtml(run, suite::VectorPairs(run.pairs), sink, 100,
                   suite::kHtmlBudget, 4);
  const std::string& page = sink.text();
  EXPECT_EQ(0u, count(page, "<tr data-pair"));
  const std::size_t start = page.find("id=\"pair-data\">");
  ASSERT_NE(std::string::npos, start);
  const std::size_t end = page.find("</script>", start);
  const std::string text =
      page.substr(page.find('>', start) + 1, end - page.find('>', start) - 1);
  EXPECT_EQ(std::string::npos, text.find('<'));
  const nlohmann::json data = nlohmann::json::parse(text);
  ASSERT_EQ(7u, data.size());
  // Different first, then errors, then same, as the rows of a page.
  EXPECT_EQ(1, data[0][0]);
  EXPECT_EQ("diff/</script><!--x.rpt", data[0][1]);
  EXPECT_EQ(6, data[0][6]);  // its listing, pair 5, is on the page
  EXPECT_NE(std::string::npos,
            page.find("<script type=\"text/html\" id=\"l5-data\"><tr "
                      "class=\"listing\" id=\"l5\">"));
  EXPECT_EQ(3, data[1][0]);
  EXPECT_EQ("odd\u00FF.rpt", data[1][1]);
  EXPECT_EQ(nlohmann::json::parse(R"([1, "cannot open \"x\"\u2401", "/ALL"])"),
            data[1][7]);
  EXPECT_EQ(0, data[6][0]);
  EXPECT_EQ("same/s4.rpt", data[6][1]);
  EXPECT_NE(std::string::npos, page.find("<noscript>"));
  EXPECT_NE(std::string::npos, page.find("JSON record"));
}

}  // namespace
