#include "suite/report_file.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "suite/suite_test_support.h"

namespace {

namespace fs = std::filesystem;
using suite_test::TempDir;

std::size_t entriesIn(const fs::path& folder) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(SuiteReportFile, CommitReplacesTheTarget) {
  TempDir dir;
  std::string target = dir.write("r.json", "old");
  suite::ReportFile file;
  std::string error;
  ASSERT_TRUE(file.open(target, &error)) << error;
  EXPECT_TRUE(fs::exists(file.temporaryPath()));
  EXPECT_EQ("old", suite_test::readFile(target));  // untouched until commit
  ASSERT_TRUE(file.commit("new text", &error)) << error;
  EXPECT_EQ("new text", suite_test::readFile(target));
  EXPECT_EQ(1u, entriesIn(dir.path()));
}

TEST(SuiteReportFile, AbandonedReportLeavesTheOldOne) {
  TempDir dir;
  std::string target = dir.write("r.xml", "old");
  {
    suite::ReportFile file;
    std::string error;
    ASSERT_TRUE(file.open(target, &error));
    // Going out of scope without commit, as a stopped run does.
  }
  EXPECT_EQ("old", suite_test::readFile(target));
  EXPECT_EQ(1u, entriesIn(dir.path()));

  suite::ReportFile file;
  std::string error;
  ASSERT_TRUE(file.open(dir / "fresh.xml", &error));
  file.abandon();
  EXPECT_FALSE(fs::exists(dir / "fresh.xml"));
  EXPECT_EQ(1u, entriesIn(dir.path()));
}

TEST(SuiteReportFile, BadTargetsFailAtOpen) {
  TempDir dir;
  fs::create_directories(dir / "folder");
  for (std::string target : {dir / "no/such/folder/r.json", dir / "folder"}) {
    SCOPED_TRACE(target);
    suite::ReportFile file;
    std::string error;
    EXPECT_FALSE(file.open(target, &error));
    EXPECT_NE(std::string::npos, error.find(target));
    EXPECT_FALSE(file.isOpen());
  }
}

TEST(SuiteReportFile, AFileInARelativeFolder) {
  TempDir dir;
  fs::path keep = fs::current_path();
  fs::current_path(dir.path());
  {
    suite::ReportFile file;
    std::string error;
    ASSERT_TRUE(file.open("plain.json", &error)) << error;
    ASSERT_TRUE(file.commit("x", &error)) << error;
  }
  fs::current_path(keep);
  EXPECT_EQ("x", suite_test::readFile(dir / "plain.json"));
}

}  // namespace
