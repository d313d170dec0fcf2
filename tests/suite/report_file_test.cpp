#include "suite/report_file.h"

#include <cstdio>
#include <filesystem>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>
#endif

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

TEST(SuiteReportFile, DashIsTheStreamGiven) {
  std::FILE* stream = std::tmpfile();
  ASSERT_NE(nullptr, stream);
  suite::ReportFile file;
  std::string error;
  ASSERT_TRUE(file.open("-", &error, stream)) << error;
  EXPECT_EQ("", file.temporaryPath());
  ASSERT_TRUE(file.commit("{}", &error)) << error;
  std::rewind(stream);
  char text[8] = {};
  EXPECT_EQ(2u, std::fread(text, 1, sizeof text, stream));
  EXPECT_STREQ("{}", text);
  std::fclose(stream);
}

#ifndef _WIN32
TEST(SuiteReportFile, ALinkIsReplacedWhereItLeads) {
  TempDir dir;
  std::string target = dir.write("sub/real.json", "old");
  fs::create_symlink("sub/real.json", dir / "link.json");
  fs::create_symlink("real.json", dir / "sub/link2.json");
  fs::create_symlink("../link.json", dir / "sub/chain.json");
  for (std::string link : {dir / "link.json", dir / "sub/chain.json"}) {
    SCOPED_TRACE(link);
    suite::ReportFile file;
    std::string error;
    ASSERT_TRUE(file.open(link, &error)) << error;
    EXPECT_TRUE(fs::exists(
        dir / ("sub/" + fs::path(file.temporaryPath()).filename().string())));
    ASSERT_TRUE(file.commit("new " + link, &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ("new " + link, suite_test::readFile(target));
  }
  EXPECT_EQ(3u, entriesIn(dir / "sub"));  // real.json and two links
}

TEST(SuiteReportFile, AFifoIsWrittenInPlace) {
  TempDir dir;
  std::string fifo = dir / "fifo";
  ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
  // A reader of its own, so that opening for writing does not wait.
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  suite::ReportFile file;
  std::string error;
  ASSERT_TRUE(file.open(fifo, &error)) << error;
  EXPECT_TRUE(file.writesInPlace());
  ASSERT_TRUE(file.commit("through", &error)) << error;
  char text[16] = {};
  EXPECT_EQ(7, ::read(reader, text, sizeof text));
  EXPECT_STREQ("through", text);
  ::close(reader);
  struct stat st;
  ASSERT_EQ(0, lstat(fifo.c_str(), &st));
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(1u, entriesIn(dir.path()));
}
#endif

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
