#include "suite/app.h"

#include <atomic>
#include <filesystem>
#include <map>
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
  EXPECT_EQ(2, run({"--merge", one}));
  EXPECT_NE(std::string::npos, err_.find("shard 2/2 is missing"));
}

TEST_F(SuiteAppTest, NothingComparedIsNoPass) {
  fs::create_directories(dir_ / "empty1");
  fs::create_directories(dir_ / "empty2/sub");
  std::string list = dir_.write("list.txt", "# nothing yet\n\n");
  std::string json = dir_.write("r.json", "earlier");
  struct Row {
    const char* what;
    std::vector<std::string> args;
  };
  const Row rows[] = {
      {"empty folders", {dir_ / "empty1", dir_ / "empty2"}},
      {"a glob that matches nothing", {base(), cand(), "--glob", "*.lst"}},
      {"a list without pairs", {"--pairs", list}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<std::string> args = row.args;
    args.insert(args.end(), {"--json", json});
    EXPECT_EQ(2, run(args));
    EXPECT_EQ("zudiz-suite: no report pairs to compare\n", err_);
    EXPECT_EQ("", out_);
    EXPECT_EQ("earlier", suite_test::readFile(json));  // no report written
    args.push_back("--allow-empty");
    EXPECT_EQ(0, run(args));
    EXPECT_EQ("", err_);
    EXPECT_EQ(0u, out_.find("0 pairs: ")) << out_;
    EXPECT_NE(std::string::npos,
              suite_test::readFile(json).find("\"pairs\":0"));
    dir_.write("r.json", "earlier");
  }
  // A shard left without pairs by a suite that has some is no error: the
  // merge judges the whole suite.
  EXPECT_EQ(0, run({base() + "/gone.rpt", dir_.write("gone2.rpt", "x"),
                    "--shard", "2/2"}));
}

TEST_F(SuiteAppTest, BaselineAndCandidateMustDiffer) {
#ifdef _WIN32
  GTEST_SKIP() << "wine makes no symbolic links";
#endif
  fs::create_directory_symlink(base(), dir_ / "link");
  std::string file = base() + "/sub0/r0.rpt";
  fs::create_symlink(file, dir_ / "file-link");
  struct Row {
    std::string baseline, candidate;
    const char* mentions;
  };
  const Row rows[] = {
      {base(), base(), "the same folder"},
      {base(), base() + "/../base/", "the same folder"},
      {base(), dir_ / "link", "the same folder"},
      {file, file, "the same file"},
      {dir_ / "file-link", file, "the same file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.candidate);
    EXPECT_EQ(2, run({row.baseline, row.candidate}));
    EXPECT_EQ(0u, err_.find("zudiz-suite: BASELINE and CANDIDATE are "))
        << err_;
    EXPECT_NE(std::string::npos, err_.find(row.mentions)) << err_;
    EXPECT_EQ(0, compared_.load());
  }
}

TEST_F(SuiteAppTest, AMergeIsWholeOrMarkedPartial) {
  std::vector<std::string> shards;
  for (int k = 1; k <= 6; ++k) {
    std::string shard = dir_ / ("shard-" + std::to_string(k) + ".json");
    run({base(), cand(), "--shard", std::to_string(k) + "/6", "--json", shard});
    shards.push_back(shard);
  }
  std::string json = dir_.write("m.json", "earlier");
  std::string xml = dir_ / "m.xml";
  std::string html = dir_ / "m.html";
  std::vector<std::string> reports = {"--json", json,     "--junit",
                                      xml,      "--html", html};
  std::vector<std::string> args = {"--merge", shards[2], shards[3], shards[5]};
  args.insert(args.end(), reports.begin(), reports.end());
  EXPECT_EQ(2, run(args));
  EXPECT_EQ(
      "zudiz-suite: shards 1/6, 2/6 and 5/6 are missing (--allow-partial "
      "merges the others)\n",
      err_);
  EXPECT_EQ("", out_);
  EXPECT_EQ("earlier", suite_test::readFile(json));
  EXPECT_FALSE(fs::exists(xml));
  EXPECT_FALSE(fs::exists(html));

  args = {"--merge", shards[2], shards[0], "--allow-partial"};
  args.insert(args.end(), reports.begin(), reports.end());
  EXPECT_LE(run(args), 1);
  EXPECT_EQ("", err_);
  EXPECT_NE(std::string::npos, out_.find("partial: 2 of 6 shards (1/6, 3/6)\n"))
      << out_;
  nlohmann::json record = nlohmann::json::parse(suite_test::readFile(json));
  EXPECT_EQ(nlohmann::json::array({"1/6", "3/6"}), record["shards"]);
  std::string junit = suite_test::readFile(xml);
  EXPECT_NE(std::string::npos,
            junit.find("<properties>\n    <property name=\"partial\" "
                       "value=\"2 of 6 shards\"/>"))
      << junit;
  EXPECT_NE(std::string::npos, suite_test::readFile(html).find(
                                   "<b>partial: 2 of 6 shards</b> (1/6, 3/6)"));

  // Shards of another run of the suite do not mix in.
  std::string other = dir_ / "other.json";
  run({base(), cand(), "--shard", "2/6", "--json", other, "--switches",
       "/ALL"});
  args = {"--merge", shards[0], other, "--allow-partial", "--json", json};
  EXPECT_EQ(2, run(args));
  EXPECT_EQ(
      "zudiz-suite: shards 1/6 and 2/6 differ in their switches: \"\" and "
      "\"/ALL\"\n",
      err_);
}

TEST_F(SuiteAppTest, RulesAddSwitchesByPath) {
  std::string rules = dir_.write("rules.txt",
                                 "# pattern switches\n"
                                 "sub1/* /SKIPF:2\n"
                                 "r1*.rpt /ALL\n");
  std::string json = dir_ / "r.json";
  EXPECT_EQ(1, run({base(), cand(), "--switches", "/IGNORE:1", "--rules", rules,
                    "--switches-for", "sub1/*=/SKIPH:3", "--json", json}));
  std::map<std::string, std::string> own;
  std::map<std::string, std::string> compared;
  nlohmann::json record = nlohmann::json::parse(suite_test::readFile(json));
  for (const auto& pair : record["pairs"]) {
    std::string name = pair["name"];
    own[name] = pair["switches"];
    compared[name] = pair["output"];
  }
  EXPECT_EQ("", own["sub0/r0.rpt"]);
  EXPECT_EQ("/ALL", own["sub0/r12.rpt"]);
  EXPECT_EQ("/SKIPF:2 /SKIPH:3", own["sub1/r4.rpt"]);
  EXPECT_EQ("/SKIPF:2 /ALL /SKIPH:3", own["sub1/r10.rpt"]);
  // The comparison got the global switches, then the pair's.
  EXPECT_NE(std::string::npos,
            compared["sub1/r10.rpt"].find(" /IGNORE:1 /SKIPF:2 /ALL /SKIPH:3"))
      << compared["sub1/r10.rpt"];
}

TEST_F(SuiteAppTest, ABadSwitchInARuleNamesTheRule) {
  std::string rules = dir_.write("rules.txt", "*.rpt /ALL\nsub1/* /NOSUCH\n");
  EXPECT_EQ(2, run({base(), cand(), "--rules", rules}));
  EXPECT_EQ(0, compared_.load());
  EXPECT_NE(std::string::npos,
            err_.find("bad switches in the rule " + rules + " line 2: "))
      << err_;
  EXPECT_EQ(2, run({base(), cand(), "--switches-for", "a/*=/ALL",
                    "--switches-for", "b/*=/NOSUCH"}));
  EXPECT_NE(std::string::npos,
            err_.find("bad switches in the rule --switches-for 'b/*=/NOSUCH'"))
      << err_;
}

TEST_F(SuiteAppTest, AllowAddedLetsNewReportsThrough) {
  fs::remove(base() + "/gone.rpt");
  for (int i = 0; i < 14; ++i) {
    suite_test::copyFile(base() + "/sub" + std::to_string(i % 3) + "/r" +
                             std::to_string(i) + ".rpt",
                         cand() + "/sub" + std::to_string(i % 3) + "/r" +
                             std::to_string(i) + ".rpt");
  }
  std::string xml = dir_ / "r.xml";
  EXPECT_EQ(1, run({base(), cand()}));
  EXPECT_EQ(0, run({base(), cand(), "--allow-added", "--junit", xml}));
  EXPECT_NE(std::string::npos,
            out_.find("missing    only in candidate: new.rpt"));
  EXPECT_NE(std::string::npos,
            out_.find("1 missing, (1 only in candidate, allowed) 0 errors"))
      << out_;
  std::string junit = suite_test::readFile(xml);
  EXPECT_NE(std::string::npos,
            junit.find("failures=\"0\" errors=\"0\" skipped=\"1\""))
      << junit;
  EXPECT_NE(std::string::npos, junit.find("<skipped message=")) << junit;
  // A report gone from the candidate still fails the run.
  dir_.write("base/gone.rpt", "x");
  EXPECT_EQ(1, run({base(), cand(), "--allow-added"}));
}

}  // namespace
