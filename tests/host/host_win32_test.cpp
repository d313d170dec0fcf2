// The real Windows host, run under wine (or Windows): file access and the
// code-page conversion. Standard output and the process exit are checked by
// the end-to-end cases of the Windows build instead.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/host.h"
#include "host/startup_services.h"

namespace {

namespace fs = std::filesystem;

// A folder of its own under the temporary folder, removed at the end.
class Win32HostTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zudiz_host_" +
            std::string(
                testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Writes `bytes` to the file `name` in the folder; returns its full name.
  std::string makeFile(const std::string& name, const std::string& bytes) {
    fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
  }

  static std::string upper(std::string s) {
    for (char& c : s) {
      if (c >= 'a' && c <= 'z') {
        c = static_cast<char>(c - 'a' + 'A');
      }
    }
    return s;
  }

  fs::path dir_;
};

TEST_F(Win32HostTest, ReadsAFileInFullBlocksUntilItsEnd) {
  std::string bytes;
  for (int i = 0; i < 70000; ++i) {
    bytes += static_cast<char>(i * 7 % 256);
  }
  std::string name = makeFile("report.rpt", bytes);
  Host& host = defaultHost();
  // The stored, upper-cased name is the one opened; the typed one is not.
  FileHandle file = host.openForReading("no such file", upper(name).c_str());
  ASSERT_NE(kNoFile, file);

  std::vector<unsigned char> block(30000);
  std::string got;
  std::vector<std::size_t> counts;
  for (;;) {
    std::size_t n = host.readBlock(file, block.data(), block.size());
    counts.push_back(n);
    got.append(reinterpret_cast<const char*>(block.data()), n);
    if (n < block.size()) {
      break;
    }
  }
  host.closeFile(file);
  EXPECT_EQ((std::vector<std::size_t>{30000, 30000, 10000}), counts);
  EXPECT_TRUE(got == bytes);
}

TEST_F(Win32HostTest, EmptyFileReadsNothing) {
  std::string name = makeFile("empty.rpt", "");
  Host& host = defaultHost();
  FileHandle file = host.openForReading(name.c_str(), name.c_str());
  ASSERT_NE(kNoFile, file);
  unsigned char block[16];
  EXPECT_EQ(0u, host.readBlock(file, block, sizeof block));
  host.closeFile(file);
}

TEST_F(Win32HostTest, OpensAFileAnotherProgramIsWriting) {
  std::string name = makeFile("growing.rpt", "");
  std::ofstream writer(name, std::ios::binary);
  writer << "first line\r\n" << std::flush;
  Host& host = defaultHost();
  FileHandle file = host.openForReading(name.c_str(), name.c_str());
  ASSERT_NE(kNoFile, file);
  unsigned char block[64];
  EXPECT_EQ(12u, host.readBlock(file, block, sizeof block));
  host.closeFile(file);
}

TEST_F(Win32HostTest, FoldersAndMissingFilesDoNotOpen) {
  fs::create_directories(dir_ / "folder");
  Host& host = defaultHost();
  for (const fs::path& p : {dir_ / "folder", dir_ / "missing.rpt", dir_}) {
    std::string name = p.string();
    SCOPED_TRACE(name);
    EXPECT_EQ(kNoFile, host.openForReading(name.c_str(), name.c_str()));
  }
  EXPECT_EQ(kNoFile, host.openForReading("", ""));
}

TEST(Win32Host, ConvertsOnlyTheGivenBytesAboveAscii) {
  // e acute is 0xE9 in the Western ANSI code page and 0x82 in the Western
  // OEM code pages (437 and 850) that wine and a Western Windows use.
  char text[] = "caf\xE9 \xE9";
  defaultHost().convertToOem(text, 5);
  EXPECT_STREQ("caf\x82 \xE9", text);
}

TEST(Win32Host, DirectoryCallsFollowTheWindowsConventions) {
  StartupServices& host = defaultStartupServices();
  char cwd[260];
  std::uint32_t n = host.getCurrentDirectory(cwd, sizeof cwd);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(n, std::strlen(cwd));
  EXPECT_EQ(':', cwd[1]);
  // Too small a buffer: the size needed, terminator included.
  char tiny[2];
  EXPECT_EQ(n + 1, host.getCurrentDirectory(tiny, sizeof tiny));

  char full[260];
  n = host.getFullPathName("x.rpt", full, sizeof full);
  EXPECT_EQ(n, std::strlen(full));
  std::string expected = cwd;
  if (expected.back() != '\\') {
    expected += '\\';
  }
  EXPECT_EQ(expected + "x.rpt", full);

  // The drive of the current folder exists and is no network connection
  // (under wine it is Z:, the root folder).
  int drive = (cwd[0] & ~0x20) - 'A';
  ASSERT_TRUE(drive >= 0 && drive < 26);
  EXPECT_NE(0u, host.getLogicalDrives() & (1u << drive));
  char remote[260];
  char local[] = "?:";
  local[0] = cwd[0];
  EXPECT_FALSE(host.getNetworkConnection(local, remote, sizeof remote));
}

}  // namespace
