#include "suite/app.h"

#include <atomic>
#include <filesystem>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

namespace {

namespace fs = std::filesystem;
using suite_test::TempDir;

// Compares by content: equal files are the same, a baseline that says
// FATAL is an error, anything else differs in one number per byte of the
// candidate.
zudiz::Result fakeCompare(const std::string& baseline,
                          const std::string& candidate,
                          const std::string& switches) {
  std::string one = suite_test::readFile(baseline);
  std::string two = suite_test::readFile(candidate);
  zudiz::Result result;
  result.output =
      "Comparing " + baseline + " vs. " + candidate + " " + switches + "\r\n";
  if (one == "FATAL") {
    result.status = zudiz::Status::kError;
    result.message = "Page too large to fit in buffer";
    result.output += "*** " + result.message + "\r\n";
    return result;
  }
  result.status = one == two ? zudiz::Status::kSame : zudiz::Status::kDifferent;
  if (one != two) {
    result.counts.linesDiffered = 1;
    for (std::size_t i = 0; i < two.size(); ++i) {
      double a = static_cast<double>(i + 1);
      double b = a * (1 + 0.001 * static_cast<double>(i % 7));
      result.numbers.push_back(
          {a, b, static_cast<std::int64_t>(i), 1, zudiz::Verdict::kListed});
      ++result.histogram
            .counts[zudiz::histogramBucket(zudiz::relativeDifference(a, b))][0];
    }
  }
  return result;
}

class SuiteAppTest : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 14; ++i) {
      std::string name =
          "sub" + std::to_string(i % 3) + "/r" + std::to_string(i) + ".rpt";
      dir_.write("base/" + name, "report " + std::to_string(i));
      dir_.write("cand/" + name, i % 4 == 1 ? std::string(i * 30, 'x')
                                            : "report " + std::to_string(i));
    }
    dir_.write("base/gone.rpt", "x");
    dir_.write("cand/new.rpt", "x");
  }

  // Runs the suite; returns its exit status and fills out_ and err_.
  int run(std::vector<std::string> args) {
    args.insert(args.begin(), "zudiz-suite");
    suite::ParsedCommandLine parsed = suite::parseOptions(args, 2);
    EXPECT_TRUE(parsed.run) << parsed.errors;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    suite::SuiteEnvironment env;
    env.out = out;
    env.err = err;
    env.compare = [this](const std::string& a, const std::string& b,
                         const std::string& s) {
      ++compared_;
      return fakeCompare(a, b, s);
    };
    env.stopRequested = stop_;
    int status = suite::runSuite(parsed.options, env);
    out_ = contents(out);
    err_ = contents(err);
    return status;
  }

  static std::string contents(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
      text.append(buffer, n);
    }
    std::fclose(file);
    return text;
  }

  std::string base() const { return dir_ / "base"; }
  std::string cand() const { return dir_ / "cand"; }

  TempDir dir_;
  std::string out_, err_;
  std::atomic<int> compared_{0};
  std::function<bool()> stop_;
};

// The console output without the time on the closing line (the last).
std::string withoutTime(std::string text) {
  std::size_t in = text.rfind(" in ");
  if (in != std::string::npos && text.size() >= 3 &&
      text.compare(text.size() - 3, 3, " s\n") == 0) {
    text.erase(in, text.size() - 1 - in);
  }
  return text;
}

// XML text without the attributes `name`="...".
std::string withoutAttribute(std::string xml, const std::string& name) {
  std::string key = " " + name + "=\"";
  for (std::size_t at = xml.find(key); at != std::string::npos;
       at = xml.find(key, at)) {
    xml.erase(at, xml.find('"', at + key.size()) + 1 - at);
  }
  return xml;
}

// A JSON record without what differs from run to run.
nlohmann::json timeless(const std::string& text) {
  nlohmann::json json = nlohmann::json::parse(text);
  json.erase("seconds");
  json.erase("date");
  for (nlohmann::json& pair : json["pairs"]) {
    pair.erase("seconds");
  }
  return json;
}

TEST_F(SuiteAppTest, FolderRunPrintsTheSameWhateverTheJobs) {
  EXPECT_EQ(1, run({base(), cand(), "-j", "1"}));
  std::string one = withoutTime(out_);
  EXPECT_EQ(1, run({base(), cand(), "-j", "8"}));
  EXPECT_EQ(one, withoutTime(out_));
  EXPECT_EQ("", err_);
  EXPECT_EQ(
      "missing    only in baseline: gone.rpt\n"
      "missing    only in candidate: new.rpt\n"
      "different  sub0/r9.rpt  1 line, 0 words, 0 numbers\n"
      "different  sub1/r1.rpt  1 line, 0 words, 0 numbers\n"
      "different  sub1/r13.rpt  1 line, 0 words, 0 numbers\n"
      "different  sub2/r5.rpt  1 line, 0 words, 0 numbers\n"
      "16 pairs: 10 same, 4 different, 2 missing, 0 errors\n",
      one);
}

TEST_F(SuiteAppTest, ShardsMergeIntoTheWholeRun) {
  std::string whole = dir_ / "whole.json";
  std::string wholeXml = dir_ / "whole.xml";
  EXPECT_EQ(1, run({base(), cand(), "--json", whole, "--junit", wholeXml,
                    "--numbers", "5"}));
  std::string wholeOut = withoutTime(out_);

  std::vector<std::string> merge = {"--merge"};
  for (int k = 1; k <= 3; ++k) {
    std::string shard = dir_ / ("shard" + std::to_string(k) + ".json");
    int status = run({base(), cand(), "--shard", std::to_string(k) + "/3",
                      "--json", shard, "--numbers", "5"});
    EXPECT_LE(status, 1);
    merge.push_back(shard);
  }
  std::swap(merge[1], merge[3]);  // any order
  std::string merged = dir_ / "merged.json";
  std::string mergedXml = dir_ / "merged.xml";
  merge.insert(merge.end(), {"--json", merged, "--junit", mergedXml});
  EXPECT_EQ(1, run(merge));
  EXPECT_EQ("", err_);
  EXPECT_EQ(wholeOut, withoutTime(out_));

  nlohmann::json a = timeless(suite_test::readFile(whole));
  nlohmann::json b = timeless(suite_test::readFile(merged));
  EXPECT_EQ(a, b);
  EXPECT_EQ("1/1", b["shard"]);
  // The histograms of the merged run add up to the whole run's.
  std::int64_t total = 0;
  for (const nlohmann::json& pair : b["pairs"]) {
    for (const auto& bucket : pair["histogram"]) {
      total += bucket["listed"].get<std::int64_t>();
    }
    EXPECT_LE(pair["numbers"].size(), 5u);
  }
  EXPECT_EQ(30 + 150 + 270 + 390, total);

  auto timeless = [](const std::string& path) {
    return withoutAttribute(
        withoutAttribute(suite_test::readFile(path), "time"), "timestamp");
  };
  EXPECT_EQ(timeless(wholeXml), timeless(mergedXml));
}

TEST_F(SuiteAppTest, BadReportPathFailsBeforeAnyPair) {
  EXPECT_EQ(2, run({base(), cand(), "--junit", dir_ / "no/such/r.xml"}));
  EXPECT_EQ(0, compared_.load());
  EXPECT_NE(std::string::npos, err_.find("zudiz-suite: cannot write "));
  EXPECT_EQ("", out_);
}

TEST_F(SuiteAppTest, AReportInsideAComparedFolderIsNoPair) {
  EXPECT_EQ(1, run({base(), cand(), "--json", cand() + "/r.json"}));
  EXPECT_EQ(std::string::npos, out_.find("r.json")) << out_;
  EXPECT_EQ(std::string::npos, out_.find(".part")) << out_;
  EXPECT_TRUE(fs::exists(cand() + "/r.json"));
}

TEST_F(SuiteAppTest, BadSwitchesAreAUsageError) {
  EXPECT_EQ(2, run({base(), cand(), "--switches", "/BADSWITCH"}));
  EXPECT_EQ(0, compared_.load());
  EXPECT_EQ(0u, err_.find("zudiz-suite: bad --switches"));
}

TEST_F(SuiteAppTest, StoppedRunLeavesReportsAlone) {
  std::string json = dir_.write("r.json", "earlier");
  stop_ = [this] { return compared_.load() >= 2; };
  EXPECT_EQ(130, run({base(), cand(), "--json", json, "-j", "1"}));
  EXPECT_EQ("earlier", suite_test::readFile(json));
  EXPECT_NE(std::string::npos, err_.find("interrupted"));
  EXPECT_LE(compared_.load(), 3);
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir_.path())) {
    files += entry.is_regular_file();
  }
  EXPECT_EQ(1u, files);  // no temporary file left behind
}

TEST_F(SuiteAppTest, MergeRefusesBrokenResults) {
  std::string bad = dir_.write("bad.json", "{\"format\": \"other\"}");
  EXPECT_EQ(2, run({"--merge", bad}));
  EXPECT_NE(std::string::npos,
            err_.find("bad.json: not a zudiz-suite/2 or zudiz-suite/1"));
  std::string one = dir_ / "one.json";
  EXPECT_EQ(1, run({base(), cand(), "--json", one, "--shard", "1/2"}));
  EXPECT_EQ(2, run({"--merge", one, one}));
  EXPECT_NE(std::string::npos, err_.find("given twice"));
  EXPECT_EQ(1, run({"--merge", one}));
  EXPECT_NE(std::string::npos, err_.find("warning: shards 2/2"));
}

}  // namespace
