#include "suite/accept.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include "suite/app.h"
#include "suite/suite_test_support.h"

namespace {

namespace fs = std::filesystem;
using suite_test::readFile;
using suite_test::TempDir;

constexpr const char* kReport = "T\nP\n\nA 1.00\n";
constexpr const char* kChanged = "T\nP\n\nA 2.00\n";

// Runs zudiz-suite on real files (the library compares) from inside a
// scratch folder, as a user would: a run with --json, then --accept.
class AcceptTest : public testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    fs::current_path(dir_.path());
    makeSuite();
  }
  void TearDown() override { fs::current_path(previous_); }

  // A suite of one pair of each kind, made afresh.
  void makeSuite() {
    fs::remove_all("base");
    fs::remove_all("cand");
    dir_.write("base/same.rpt", kReport);
    dir_.write("cand/same.rpt", kReport);
    dir_.write("base/sub/changed.rpt", kReport);
    dir_.write("cand/sub/changed.rpt", kChanged);
    dir_.write("base/gone.rpt", kReport);
    dir_.write("cand/new/deep/added.rpt", kChanged);
  }

  int run(std::vector<std::string> args) {
    args.insert(args.begin(), "zudiz-suite");
    suite::ParsedCommandLine parsed = suite::parseOptions(args, 2);
    EXPECT_TRUE(parsed.run) << parsed.errors;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    suite::SuiteEnvironment env;
    env.out = out;
    env.err = err;
    env.compare = [](const std::string& a, const std::string& b,
                     const std::string& s) {
      return zudiz::compareFiles(a, b, s);
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

  // Rewrites the JSON result at `path` with `edit` applied to it.
  static void editJson(const std::string& path,
                       const std::function<void(nlohmann::json&)>& edit) {
    nlohmann::json json = nlohmann::json::parse(readFile(path));
    edit(json);
    std::ofstream(path, std::ios::binary) << json.dump();
  }

  // Every regular file under `folder` with its text, by relative path.
  static std::map<std::string, std::string> tree(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file()) {
        files[fs::relative(entry.path(), folder).generic_string()] =
            readFile(entry.path().string());
      }
    }
    return files;
  }

  TempDir dir_;
  fs::path previous_;
  std::string out_, err_;
  std::function<bool()> stop_;
};

TEST_F(AcceptTest, FolderRunAcceptsDifferentAndNewReports) {
  ASSERT_EQ(1, run({"base", "cand", "--json", "r.json"}));
#ifndef _WIN32  // file modes are POSIX permission bits
  fs::permissions("base/sub/changed.rpt", fs::perms(0640));
  fs::permissions("cand/new/deep/added.rpt", fs::perms(0604));
#endif
  EXPECT_EQ(0, run({"--accept", "r.json"}));
  EXPECT_EQ(
      "accepted  new/deep/added.rpt\n"
      "accepted  sub/changed.rpt\n"
      "2 files accepted, 0 removed\n",
      out_);
  EXPECT_EQ("", err_);
  EXPECT_EQ(kChanged, readFile("base/sub/changed.rpt"));
  EXPECT_EQ(kChanged, readFile("base/new/deep/added.rpt"));
  EXPECT_EQ(kReport, readFile("base/gone.rpt"));
#ifndef _WIN32
  // The baseline keeps its mode; a new file takes the candidate's.
  EXPECT_EQ(fs::perms(0640), fs::status("base/sub/changed.rpt").permissions());
  EXPECT_EQ(fs::perms(0604),
            fs::status("base/new/deep/added.rpt").permissions());
#endif
  // Nothing else is left in the baseline folder, no temporary file.
  EXPECT_EQ(4u, tree("base").size());
  EXPECT_EQ(1, run({"base", "cand"}));
  EXPECT_NE(std::string::npos,
            out_.find("4 pairs: 3 same, 0 different, 1 missing"))
      << out_;
}

TEST_F(AcceptTest, RemoveGoneOnlyWhenAsked) {
  ASSERT_EQ(1, run({"base", "cand", "--json", "r.json"}));
  EXPECT_EQ(0, run({"--accept", "r.json", "--only", "gone.rpt"}));
  EXPECT_EQ("0 files accepted, 0 removed\n", out_);
  EXPECT_TRUE(fs::exists("base/gone.rpt"));
  EXPECT_EQ(0,
            run({"--accept", "r.json", "--only", "gone.rpt", "--remove-gone"}));
  EXPECT_EQ("removed   gone.rpt\n0 files accepted, 1 removed\n", out_);
  EXPECT_FALSE(fs::exists("base/gone.rpt"));
}

TEST_F(AcceptTest, PartsOfOneResultInTurn) {
  ASSERT_EQ(1, run({"base", "cand", "--json", "r.json"}));
  EXPECT_EQ(0, run({"--accept", "r.json", "--only", "sub/**"}));
  EXPECT_EQ(0, run({"--accept", "r.json", "--remove-gone", "--only", "g*"}));
  EXPECT_EQ(0, run({"--accept", "r.json", "--remove-gone"})) << err_;
  EXPECT_EQ(
      "accepted  new/deep/added.rpt\n"
      "1 file accepted, 0 removed, 2 done before\n",
      out_);
  // A file changed otherwise is still refused.
  dir_.write("base/sub/changed.rpt", "T\nP\n\nA 7.000\n");
  EXPECT_EQ(2, run({"--accept", "r.json"}));
  EXPECT_NE(std::string::npos, err_.find("changed since the run")) << err_;
}

TEST_F(AcceptTest, OnlyAndDryRun) {
  ASSERT_EQ(1, run({"base", "cand", "--json", "r.json"}));
  auto before = tree("base");
  EXPECT_EQ(0, run({"--accept", "r.json", "--dry-run", "--remove-gone"}));
  EXPECT_EQ(
      "would remove  gone.rpt\n"
      "would accept  new/deep/added.rpt\n"
      "would accept  sub/changed.rpt\n"
      "dry run: 2 files to accept, 1 to remove; nothing changed\n",
      out_);
  EXPECT_EQ(before, tree("base"));
  EXPECT_EQ(0, run({"--accept", "r.json", "--only", "sub/*"}));
  EXPECT_EQ("accepted  sub/changed.rpt\n1 file accepted, 0 removed\n", out_);
  EXPECT_FALSE(fs::exists("base/new"));
}

TEST_F(AcceptTest, AFileChangedSinceTheRunChangesNothing) {
  struct Row {
    const char* path;  // the file that changes after the run
    const char* text;  // its new text; nullptr removes it
  };
  // The sizes change too: a file's time may be as coarse as the kernel's
  // clock tick.
  const Row rows[] = {{"cand/sub/changed.rpt", "T\nP\n\nA 3.000\n"},
                      {"base/sub/changed.rpt", "T\nP\n\nA 1.500\n"},
                      {"cand/new/deep/added.rpt", nullptr},
                      {"base/new/deep/added.rpt", "appeared"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.path);
    ASSERT_EQ(1, run({"base", "cand", "--json", "r.json"}));
    if (row.text == nullptr) {
      fs::remove(row.path);
    } else {
      dir_.write(row.path, row.text);
    }
    auto before = tree("base");
    EXPECT_EQ(2, run({"--accept", "r.json"}));
    EXPECT_EQ("", out_);
    EXPECT_NE(std::string::npos, err_.find(" changed since the run")) << err_;
    EXPECT_NE(std::string::npos, err_.find("nothing accepted")) << err_;
    EXPECT_EQ(before, tree("base"));
    makeSuite();
  }
}

TEST_F(AcceptTest, StoppedPartWayLeavesEachFileOldOrNew) {
  for (int i = 0; i < 6; ++i) {
    dir_.write("base/many/r" + std::to_string(i) + ".rpt", kReport);
    dir_.write("cand/many/r" + std::to_string(i) + ".rpt", kChanged);
  }
  ASSERT_EQ(1, run({"base", "cand", "--json", "r.json"}));
  int polls = 0;
  stop_ = [&] { return ++polls > 3; };
  EXPECT_EQ(130, run({"--accept", "r.json", "--only", "many/*"}));
  EXPECT_EQ(
      "accepted  many/r0.rpt\n"
      "accepted  many/r1.rpt\n"
      "accepted  many/r2.rpt\n",
      out_);
  EXPECT_NE(std::string::npos,
            err_.find("interrupted after 3 files of 6: those printed are done"))
      << err_;
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(i < 3 ? kChanged : kReport,
              readFile("base/many/r" + std::to_string(i) + ".rpt"));
  }
  EXPECT_EQ(6u, tree("base/many").size());  // no temporary file
}

TEST_F(AcceptTest, WritesNothingOutsideTheBaselineFolder) {
  ASSERT_EQ(1, run({"base", "cand", "--json", "r.json"}));
  dir_.write("outside.rpt", kReport);
  struct Row {
    const char* name;  // the pair name a hand edit puts in the result
    const char* says;
  };
  const Row rows[] = {{"../outside.rpt", "not a path inside"},
                      {"sub/../../outside.rpt", "not a path inside"},
                      {"/tmp/outside.rpt", "an absolute path"},
                      {"sub//changed.rpt", "not a path inside"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string edited = "edited.json";
    suite_test::copyFile("r.json", edited);
    editJson(edited, [&](nlohmann::json& json) {
      for (auto& pair : json["pairs"]) {
        if (pair["name"] == "sub/changed.rpt") {
          pair["name"] = row.name;
        }
      }
    });
    auto before = tree("base");
    EXPECT_EQ(2, run({"--accept", edited}));
    EXPECT_NE(std::string::npos, err_.find(row.says)) << err_;
    EXPECT_EQ(before, tree("base"));
    EXPECT_EQ(kReport, readFile("outside.rpt"));
  }
}

TEST_F(AcceptTest, RefusesToWriteThroughALink) {
#ifdef _WIN32
  GTEST_SKIP() << "wine makes no symbolic links";
#endif
  dir_.write("elsewhere/data.rpt", kReport);
  fs::create_symlink(dir_.path() / "elsewhere/data.rpt", "base/linked.rpt");
  dir_.write("cand/linked.rpt", kChanged);
  fs::create_directory_symlink(dir_.path() / "elsewhere", "base/linkdir");
  ASSERT_EQ(1, run({"base", "cand", "--json", "r.json"}));
  // A hand edit may name a file under a linked folder, which a run never
  // pairs (links to folders are not followed).
  editJson("r.json", [](nlohmann::json& json) {
    nlohmann::json pair = json["pairs"][0];
    pair["name"] = "linkdir/data.rpt";
    pair["status"] = "different";
    pair["baseline_file"]["path"] = "base/linkdir/data.rpt";
    json["pairs"].push_back(pair);
  });
  EXPECT_EQ(2, run({"--accept", "r.json"}));
  EXPECT_NE(std::string::npos,
            err_.find("base/linked.rpt is a symbolic link; not written"))
      << err_;
  EXPECT_NE(std::string::npos,
            err_.find("base/linkdir is a symbolic link; not written"))
      << err_;
  EXPECT_EQ(kReport, readFile("elsewhere/data.rpt"));
  EXPECT_TRUE(fs::is_symlink("base/linked.rpt"));
  EXPECT_EQ(kReport, readFile("base/sub/changed.rpt"));
}

TEST_F(AcceptTest, ListRunAcceptsTheBaselinesTheListNames) {
  dir_.write("lists/pairs.txt",
             "# baseline candidate\n"
             "../base/sub/changed.rpt ../cand/sub/changed.rpt /SKIPH:1\n"
             "../base/same.rpt ../cand/same.rpt\n"
             "../base/fresh.rpt ../cand/new/deep/added.rpt\n");
  ASSERT_EQ(1, run({"--pairs", "lists/pairs.txt", "--json", "r.json"}));
  std::string good = readFile("r.json");
  // A baseline path the list does not name is refused.
  editJson("r.json", [](nlohmann::json& json) {
    json["pairs"][0]["baseline_file"]["path"] = "base/same.rpt";
  });
  EXPECT_EQ(2, run({"--accept", "r.json"}));
  EXPECT_NE(std::string::npos, err_.find("is not a baseline of lists/pairs"))
      << err_;
  EXPECT_EQ(kReport, readFile("base/sub/changed.rpt"));

  std::ofstream("r.json", std::ios::binary) << good;
  EXPECT_EQ(0, run({"--accept", "r.json"})) << err_;
  EXPECT_EQ(
      "accepted  ../base/fresh.rpt\n"
      "accepted  ../base/sub/changed.rpt\n"
      "2 files accepted, 0 removed\n",
      out_);
  EXPECT_EQ(kChanged, readFile("base/sub/changed.rpt"));
  EXPECT_EQ(kChanged, readFile("base/fresh.rpt"));
}

TEST_F(AcceptTest, ABaselineTakesOneCandidate) {
  dir_.write("cand/other.rpt", "T\nP\n\nA 9.00\n");
  dir_.write("pairs.txt",
             "base/same.rpt cand/sub/changed.rpt\n"
             "base/same.rpt cand/sub/changed.rpt /ALL\n"
             "base/same.rpt cand/other.rpt\n");
  ASSERT_EQ(1, run({"--pairs", "pairs.txt", "--json", "r.json"}));
  EXPECT_EQ(2, run({"--accept", "r.json"}));
  EXPECT_NE(std::string::npos, err_.find(": base/same.rpt would be both cand/"))
      << err_;
  EXPECT_EQ(kReport, readFile("base/same.rpt"));
  // The same candidate twice is one copy.
  dir_.write("pairs.txt",
             "base/same.rpt cand/sub/changed.rpt\n"
             "base/same.rpt cand/sub/changed.rpt /ALL\n");
  ASSERT_EQ(1, run({"--pairs", "pairs.txt", "--json", "r.json"}));
  EXPECT_EQ(0, run({"--accept", "r.json"}));
  EXPECT_EQ("accepted  base/same.rpt\n1 file accepted, 0 removed\n", out_);
  EXPECT_EQ(kChanged, readFile("base/same.rpt"));
}

TEST_F(AcceptTest, MergedShardsAcceptLikeOneRun) {
  ASSERT_EQ(1, run({"base", "cand", "--shard", "1/2", "--json", "s1.json"}));
  ASSERT_LE(run({"base", "cand", "--shard", "2/2", "--json", "s2.json"}), 1);
  ASSERT_EQ(1, run({"--merge", "s1.json", "s2.json", "--json", "all.json"}));
  EXPECT_EQ(0, run({"--accept", "all.json", "--dry-run"}));
  EXPECT_EQ(
      "would accept  new/deep/added.rpt\n"
      "would accept  sub/changed.rpt\n"
      "dry run: 2 files to accept, 0 to remove; nothing changed\n",
      out_);
}

TEST_F(AcceptTest, TwoFilesAndOlderResults) {
  ASSERT_EQ(1, run({"base/sub/changed.rpt", "cand/sub/changed.rpt", "--json",
                    "r.json"}));
  std::string good = readFile("r.json");
  editJson("r.json", [](nlohmann::json& json) {
    for (auto& pair : json["pairs"]) {
      pair.erase("baseline_file");
      pair.erase("candidate_file");
    }
  });
  EXPECT_EQ(2, run({"--accept", "r.json"}));
  EXPECT_NE(std::string::npos, err_.find("older zudiz-suite")) << err_;
  std::ofstream("r.json", std::ios::binary) << good;
  EXPECT_EQ(0, run({"--accept", "r.json"}));
  EXPECT_EQ("accepted  base/sub/changed.rpt\n1 file accepted, 0 removed\n",
            out_);
  EXPECT_EQ(kChanged, readFile("base/sub/changed.rpt"));
}

}  // namespace
