#include "suite/json_export.h"

#include <nlohmann/json.hpp>
#include <sstream>

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

namespace {

using suite::PairStatus;

std::string allBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b) {
    bytes += static_cast<char>(b);
  }
  return bytes;
}

suite::SuiteRun sampleRun() {
  suite::SuiteRun run;
  run.version = "1.0";
  run.switches = "/IGNORE%:1";
  run.baseline = "base";
  run.candidate = "cand";
  run.shard = "2/3";
  run.date = "2024-05-01T10:00:00Z";
  run.seconds = 1.5;

  suite::PairResult different =
      suite_test::pairNamed("sub/run12.rpt", PairStatus::kDifferent);
  different.baseline = "base/sub/run12.rpt";
  different.candidate = "cand/sub/run12.rpt";
  different.switches = "/ALL";
  different.seconds = 0.004;
  different.bytes = 1234;
  zudiz::Result& r = different.result;
  r.status = zudiz::Status::kDifferent;
  r.output = "Comparing A vs. B\r\n" + allBytes();
  r.counts = {-2, 120, 3, 8, 1, 1, 1};
  zudiz::ListedPair& extra = r.pairs.emplace_back();
  extra.line1 = 16;
  extra.line2 = 16;
  extra.extra = 2;
  extra.text2 = "B110A 4.50 \x84\xFF";
  extra.page1 = 2;
  extra.page2 = 3;
  extra.lineText2 = "  B110A 4.50 \x84\xFF";
  extra.context2 = {"  NAME  A    \xE4", ""};
  extra.words2 = {{0, 2, 5}, {11, 13, 2}};
  zudiz::ListedPair& odd = r.pairs.emplace_back();
  odd.line2 = 17;
  odd.text1 = "\t\x01";
  odd.text2 = "x";
  odd.page2 = 1;
  odd.lineText1 = std::string(1024, '\x01');
  r.numbers.push_back({0.316, 0.386, 25, 26, zudiz::Verdict::kListed});
  r.numbers.push_back(
      {-1e5, 429496.7295, 1, 2, zudiz::Verdict::kWithinTolerance});
  r.numbersCut = true;
  r.largest = r.numbers[1];
  r.tolerance = {zudiz::Tolerance::Kind::kRelative, 0.01};
  r.histogram.counts[0][1] = 3;
  r.histogram.counts[9][0] = 1;
  r.histogram.counts[10][3] = 12345678901LL;
  run.pairs.push_back(different);

  suite::PairResult missing =
      suite_test::pairNamed("new.rpt", PairStatus::kMissing);
  missing.message = "only in candidate: new.rpt";
  missing.candidate = "cand/new.rpt";
  run.pairs.push_back(missing);

  suite::PairResult error =
      suite_test::pairNamed("bad.rpt", PairStatus::kError);
  error.message = "Page too large to fit in buffer \xE4";
  error.result.status = zudiz::Status::kError;
  error.result.message = error.message;
  run.pairs.push_back(error);
  return run;
}

void expectSameRun(const suite::SuiteRun& a, const suite::SuiteRun& b) {
  EXPECT_EQ(a.version, b.version);
  EXPECT_EQ(a.switches, b.switches);
  EXPECT_EQ(a.baseline, b.baseline);
  EXPECT_EQ(a.candidate, b.candidate);
  EXPECT_EQ(a.shard, b.shard);
  EXPECT_EQ(a.shards, b.shards);
  EXPECT_EQ(a.numbersCap, b.numbersCap);
  EXPECT_EQ(a.date, b.date);
  EXPECT_EQ(a.seconds, b.seconds);
  ASSERT_EQ(a.pairs.size(), b.pairs.size());
  for (std::size_t i = 0; i < a.pairs.size(); ++i) {
    const suite::PairResult& x = a.pairs[i];
    const suite::PairResult& y = b.pairs[i];
    SCOPED_TRACE(x.name);
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.baseline, y.baseline);
    EXPECT_EQ(x.candidate, y.candidate);
    EXPECT_EQ(x.switches, y.switches);
    EXPECT_EQ(x.status, y.status);
    EXPECT_EQ(x.message, y.message);
    EXPECT_EQ(x.seconds, y.seconds);
    EXPECT_EQ(x.bytes, y.bytes);
    EXPECT_EQ(x.result.status, y.result.status);
    EXPECT_EQ(x.result.output, y.result.output);
    const zudiz::Counts& c = x.result.counts;
    const zudiz::Counts& d = y.result.counts;
    EXPECT_EQ(std::tie(c.surplusLines, c.linesCompared, c.linesDiffered,
                       c.wordDifferences, c.numericDifferences, c.tinyExcused,
                       c.lastPlaceExcused),
              std::tie(d.surplusLines, d.linesCompared, d.linesDiffered,
                       d.wordDifferences, d.numericDifferences, d.tinyExcused,
                       d.lastPlaceExcused));
    ASSERT_EQ(x.result.pairs.size(), y.result.pairs.size());
    for (std::size_t k = 0; k < x.result.pairs.size(); ++k) {
      const zudiz::ListedPair& p = x.result.pairs[k];
      const zudiz::ListedPair& q = y.result.pairs[k];
      EXPECT_TRUE(p == q) << k;
    }
    ASSERT_EQ(x.result.numbers.size(), y.result.numbers.size());
    for (std::size_t k = 0; k < x.result.numbers.size(); ++k) {
      const zudiz::NumberPair& p = x.result.numbers[k];
      const zudiz::NumberPair& q = y.result.numbers[k];
      EXPECT_EQ(std::tie(p.value1, p.value2, p.line1, p.line2, p.verdict),
                std::tie(q.value1, q.value2, q.line1, q.line2, q.verdict));
    }
    EXPECT_EQ(x.result.numbersCut, y.result.numbersCut);
    EXPECT_TRUE(x.result.largest == y.result.largest);
    EXPECT_TRUE(x.result.tolerance == y.result.tolerance);
    EXPECT_EQ(x.result.histogram.counts, y.result.histogram.counts);
  }
}

TEST(SuiteJson, ReadsBackEveryFieldAndEveryByte) {
  suite::SuiteRun run = sampleRun();
  std::string text = suite::exportJson(run);
  suite::SuiteRun back;
  std::string error;
  ASSERT_TRUE(suite::importJson(text, &back, &error)) << error;
  expectSameRun(run, back);
  // Written again, it is the same text.
  EXPECT_EQ(text, suite::exportJson(back));
}

TEST(SuiteJson, KeepsTheNumbersCapAndTheShardsOfAPartialMerge) {
  suite::SuiteRun run = sampleRun();
  for (std::optional<std::size_t> cap :
       {std::optional<std::size_t>(), std::optional<std::size_t>(0),
        std::optional<std::size_t>(100),
        std::optional<std::size_t>(suite::kAllNumbers)}) {
    run.numbersCap = cap;
    run.shards = {"1/6", "3/6"};
    run.shard = "1/6,3/6";
    nlohmann::json json = nlohmann::json::parse(suite::exportJson(run));
    EXPECT_EQ(nlohmann::json::array({"1/6", "3/6"}), json["shards"]);
    EXPECT_EQ(cap.has_value(), json.contains("numbers"));
    suite::SuiteRun back;
    std::string error;
    ASSERT_TRUE(suite::importJson(suite::exportJson(run), &back, &error));
    EXPECT_EQ(cap, back.numbersCap);
    EXPECT_EQ(run.shards, back.shards);
  }
  EXPECT_EQ("all", nlohmann::json::parse(suite::exportJson(run))["numbers"]);
}

// The look-ahead is written only when it is not the program's 1, so that a
// run without --lookahead writes what it wrote before.
TEST(SuiteJson, KeepsTheLookahead) {
  suite::SuiteRun run = sampleRun();
  for (int lookahead : {1, 2, 50}) {
    run.lookahead = lookahead;
    const std::string text = suite::exportJson(run);
    EXPECT_EQ(lookahead != 1,
              nlohmann::json::parse(text).contains("lookahead"));
    suite::SuiteRun back;
    std::string error;
    ASSERT_TRUE(suite::importJson(text, &back, &error)) << error;
    EXPECT_EQ(lookahead, back.lookahead);
  }
  nlohmann::json json = nlohmann::json::parse(suite::exportJson(run));
  for (const nlohmann::json& bad : {nlohmann::json(0), nlohmann::json(51),
                                    nlohmann::json("10"), nlohmann::json(-2)}) {
    json["lookahead"] = bad;
    suite::SuiteRun back;
    std::string error;
    EXPECT_FALSE(suite::importJson(json.dump(), &back, &error)) << bad;
  }
}

TEST(SuiteJson, ShapeAsAnyParserSeesIt) {
  nlohmann::json json = nlohmann::json::parse(suite::exportJson(sampleRun()));
  EXPECT_EQ("zudiz-suite/2", json["format"]);
  EXPECT_EQ("2/3", json["shard"]);
  EXPECT_EQ(3, json["totals"]["pairs"]);
  EXPECT_EQ(1, json["totals"]["different"]);
  EXPECT_EQ(1, json["totals"]["missing"]);
  EXPECT_EQ(1, json["totals"]["error"]);
  EXPECT_EQ(0, json["totals"]["same"]);
  const nlohmann::json& pair = json["pairs"][0];
  EXPECT_EQ("different", pair["status"]);
  EXPECT_EQ(-2, pair["counts"]["surplus_lines"]);
  EXPECT_EQ(1, pair["counts"]["last_place_excused"]);
  EXPECT_EQ(16, pair["listed"][0]["line1"]);
  EXPECT_EQ(2, pair["listed"][0]["extra"]);
  // Each report byte is one character of the same number.
  EXPECT_EQ("B110A 4.50 \u0084\u00FF", pair["listed"][0]["text2"]);
  EXPECT_EQ(3, pair["listed"][0]["page2"]);
  EXPECT_EQ("  B110A 4.50 \u0084\u00FF", pair["listed"][0]["line_text2"]);
  EXPECT_EQ("  NAME  A    \u00E4", pair["listed"][0]["context2"][0]);
  EXPECT_EQ(0u, pair["listed"][0]["context1"].size());
  EXPECT_EQ(429496.7295, pair["largest"]["value2"]);
  EXPECT_EQ("within_tolerance", pair["largest"]["verdict"]);
  EXPECT_NEAR(2 * 529496.7295 / 529496.7295,
              pair["largest"]["relative"].get<double>(), 1e-12);
  EXPECT_TRUE(json["pairs"][1]["largest"].is_null());
  EXPECT_EQ(0.386, pair["numbers"][0]["value2"]);
  EXPECT_EQ("listed", pair["numbers"][0]["verdict"]);
  EXPECT_EQ("within_tolerance", pair["numbers"][1]["verdict"]);
  EXPECT_EQ(true, pair["numbers_cut"]);
  // Histogram buckets named by their lower bound; empty ones left out.
  const nlohmann::json& histogram = pair["histogram"];
  EXPECT_EQ(3u, histogram.size());
  EXPECT_EQ(3, histogram["0"]["tiny"]);
  EXPECT_EQ(1, histogram["0.1"]["listed"]);
  EXPECT_EQ(12345678901LL, histogram["1"]["within_tolerance"]);
  EXPECT_EQ(0, histogram["1"]["listed"]);
  EXPECT_EQ("Page too large to fit in buffer \u00E4",
            json["pairs"][2]["message"]);
  EXPECT_EQ(0u, json["pairs"][1]["histogram"].size());
}

// Listed texts lose the blanks that padded their columns; the words and the
// blanks between them stay.
TEST(SuiteJson, ListedTextsWithoutTheirPadding) {
  suite::SuiteRun run;
  suite::PairResult pair =
      suite_test::pairNamed("a.rpt", PairStatus::kDifferent);
  zudiz::ListedPair& listed = pair.result.pairs.emplace_back();
  listed.text1 = "1.5    X   ";
  listed.text2 = "1.5001 Y";
  run.pairs.push_back(pair);
  nlohmann::json json = nlohmann::json::parse(suite::exportJson(run));
  EXPECT_EQ("1.5    X", json["pairs"][0]["listed"][0]["text1"]);
  EXPECT_EQ("1.5001 Y", json["pairs"][0]["listed"][0]["text2"]);
}

// --merge reads the records written before format 2: no lines, the largest
// pair from the records, and the histogram counted again by the mean when
// every record was kept.
TEST(SuiteJson, ReadsFormatOne) {
  const std::string text = R"({"format": "zudiz-suite/1", "pairs": [
    {"name": "a", "status": "different",
     "listed": [{"line1": 3, "line2": 3, "extra": 0, "text1": "1.5   ", "text2": "1.6"}],
     "numbers": [{"value1": 1000, "value2": 1001.0008, "line1": 3, "line2": 3, "verdict": "listed"},
                 {"value1": 1.5, "value2": 1.6, "line1": 3, "line2": 3, "verdict": "listed"}],
     "numbers_cut": false,
     "histogram": {"1e-04": {"listed": 1}, "0.01": {"listed": 1}}},
    {"name": "b", "status": "different",
     "numbers": [{"value1": 1, "value2": 2, "line1": 3, "line2": 3, "verdict": "listed"}],
     "numbers_cut": true,
     "histogram": {"0.1": {"listed": 7}}}]})";
  suite::SuiteRun run;
  std::string error;
  ASSERT_TRUE(suite::importJson(text, &run, &error)) << error;
  const zudiz::Result& a = run.pairs[0].result;
  EXPECT_EQ("1.5", a.pairs[0].text1);
  ASSERT_TRUE(a.largest.has_value());
  EXPECT_EQ(1.6, a.largest->value2);
  // 1000 against 1001.0008 is 0.1 % of the mean: bucket 0.001, not 0.0001.
  EXPECT_EQ(1, a.histogram.counts[7][0]);
  EXPECT_EQ(1, a.histogram.counts[8][0]);
  EXPECT_EQ(0, a.histogram.counts[6][0]);
  // Cut records cannot be counted again: the histogram stays.
  EXPECT_EQ(7, run.pairs[1].result.histogram.counts[9][0]);
  // Written again, it is format 2.
  EXPECT_NE(std::string::npos,
            suite::exportJson(run).find("\"format\":\"zudiz-suite/2\""));
}

TEST(SuiteJson, BucketNamesAreTheLowerBounds) {
  std::vector<std::string> names;
  for (int b = 0; b < zudiz::kHistogramBuckets; ++b) {
    names.push_back(suite::bucketName(b));
    EXPECT_EQ(zudiz::histogramLowerBound(b), std::stod(names.back()));
  }
  EXPECT_EQ("0", names.front());
  EXPECT_EQ("1", names.back());
}

TEST(SuiteJson, NamesStayUtf8ReportBytesDoNot) {
  suite::SuiteRun run;
  suite::PairResult pair =
      suite_test::pairNamed("r\xC3\xA9sultat.rpt", PairStatus::kMissing);
  pair.message = "\xC3\xA9";  // from a report: two bytes, two characters
  pair.baseline = "bad\xFFname";
  run.pairs.push_back(pair);
  nlohmann::json json = nlohmann::json::parse(suite::exportJson(run));
  EXPECT_EQ("r\xC3\xA9sultat.rpt", json["pairs"][0]["name"]);
  EXPECT_EQ("\u00C3\u00A9", json["pairs"][0]["message"]);
  EXPECT_EQ("bad\u00FFname", json["pairs"][0]["baseline"]);
  suite::SuiteRun back;
  std::string error;
  ASSERT_TRUE(suite::importJson(suite::exportJson(run), &back, &error));
  EXPECT_EQ(pair.name, back.pairs[0].name);
  EXPECT_EQ(pair.message, back.pairs[0].message);
}

TEST(SuiteJson, RefusesWhatItDidNotWrite) {
  struct Row {
    const char* what;
    std::string text;
  };
  const Row rows[] = {
      {"not json", "{\"format\": \"zudiz-suite/1\", "},
      {"empty", ""},
      {"other format", R"({"format": "zudiz-suite/3", "pairs": []})"},
      {"text for context",
       R"({"format": "zudiz-suite/2", "pairs": [{"status": "same", "listed": [{"context1": [1]}]}]})"},
      {"a word beyond its line",
       R"({"format": "zudiz-suite/2", "pairs": [{"status": "same", "listed": [{"text1": "ab", "line_text1": "ab", "words1": [[0, 1, 2]]}]}]})"},
      {"a word that is no triple",
       R"({"format": "zudiz-suite/2", "pairs": [{"status": "same", "listed": [{"text1": "ab", "line_text1": "ab", "words1": [[0, 1]]}]}]})"},
      {"odd tolerance",
       R"({"format": "zudiz-suite/2", "pairs": [{"status": "same", "tolerance": {"kind": "loose", "value": 1}}]})"},
      {"no format", R"({"pairs": []})"},
      {"array", R"([1, 2])"},
      {"bad status",
       R"({"format": "zudiz-suite/1", "pairs": [{"name": "a", "status": "odd"}]})"},
      {"wide character",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "output": "\u0100"}]})"},
      {"bad verdict",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "numbers": [{"verdict": "big"}]}]})"},
      {"bad bucket",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "histogram": {"0.5": {}}}]})"},
      {"text for a number",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "bytes": "12"}]})"},
      {"object for pairs", R"({"format": "zudiz-suite/1", "pairs": {}})"},
      {"a fraction for a count",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "bytes": 1.5}]})"},
      {"a count beyond 2^53",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "bytes": 9007199254740993}]})"},
      {"a count below -2^53",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "counts": {"surplus_lines": -9223372036854775808}}]})"},
      {"a line number beyond any whole number",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "numbers": [{"line1": 1e300, "verdict": "tiny"}]}]})"},
      {"extra beyond an int",
       R"({"format": "zudiz-suite/1", "pairs": [{"status": "same", "listed": [{"extra": 4294967296}]}]})"},
      {"numbers below 0", R"({"format": "zudiz-suite/1", "numbers": -1})"},
      {"numbers as a word",
       R"({"format": "zudiz-suite/1", "numbers": "some"})"},
      {"numbers as a fraction",
       R"({"format": "zudiz-suite/1", "numbers": 1.5})"},
      {"shards not a list", R"({"format": "zudiz-suite/1", "shards": "1/2"})"},
      {"shards of numbers", R"({"format": "zudiz-suite/1", "shards": [1]})"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    suite::SuiteRun run;
    std::string error;
    EXPECT_FALSE(suite::importJson(row.text, &run, &error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(SuiteJson, Utf8Checks) {
  struct Row {
    const char* what;
    std::string text;
    bool utf8;
  };
  const Row rows[] = {
      {"ascii", "abc", true},
      {"two bytes", "\xC3\xA9", true},
      {"three bytes", "\xE2\x82\xAC", true},
      {"four bytes", "\xF0\x9F\x98\x80", true},
      {"lone continuation", "\x80", false},
      {"cut short", "\xE2\x82", false},
      {"overlong", "\xC0\xAF", false},
      {"overlong three", "\xE0\x80\xAF", false},
      {"surrogate", "\xED\xA0\x80", false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false},
      {"latin-1 byte", "caf\xE9", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(row.utf8, suite::isUtf8(row.text));
  }
  std::string bytes = allBytes();
  std::string text = suite::bytesToUtf8(bytes);
  EXPECT_TRUE(suite::isUtf8(text));
  std::string back;
  ASSERT_TRUE(suite::utf8ToBytes(text, &back));
  EXPECT_EQ(bytes, back);
  EXPECT_FALSE(suite::utf8ToBytes("\xE2\x82\xAC", &back));
  EXPECT_FALSE(suite::utf8ToBytes("\xC3", &back));
}

}  // namespace

// Each pair's line is written as text straight away; it must stay what a
// JSON library's compact dump of the same object gives, byte for byte, as
// records written before were.
TEST(SuiteJson, EachPairLineIsTheCompactDumpOfItself) {
  suite::SuiteRun run = sampleRun();
  run.pairs[0].baselineFile = {"base/sub/run12.rpt", true, 617,
                               1700000000123456789};
  run.pairs[0].candidateFile = {"cand/sub/run12.rpt", false, 0, 0};
  run.pairs[0].result.numbers.push_back(
      {1e300, -0.0, 3, 4, zudiz::Verdict::kTiny});
  run.pairs[0].result.numbers.push_back(
      {0.1 + 0.2, 5e-324, 5, 6, zudiz::Verdict::kLastPlace});
  run.pairs[1].name = "d\xE9j\xE0 \"vu\"\\\x7F.rpt";
  run.pairs[1].seconds = 1234.5678919;
  std::istringstream lines(suite::exportJson(run));
  std::string line;
  int pairs = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("  {", 0) != 0) {
      continue;
    }
    ++pairs;
    if (line.back() == ',') {
      line.pop_back();
    }
    line.erase(0, 2);
    EXPECT_EQ(nlohmann::ordered_json::parse(line).dump(), line);
  }
  EXPECT_EQ(3, pairs);
}
