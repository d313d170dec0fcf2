// The POSIX host's file reading: whatever sizes the reader asks for, the
// bytes come back in file order, fewer than asked only at the end.
#ifndef _WIN32

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <gtest/gtest.h>

#include "host/host.h"

namespace {

std::string writeTempFile(const std::string& bytes) {
  char name[] = "/tmp/zudiz_host_test_XXXXXX";
  const int fd = mkstemp(name);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(static_cast<ssize_t>(bytes.size()),
            write(fd, bytes.data(), bytes.size()));
  close(fd);
  return name;
}

std::string patterned(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245 + 12345;
    bytes[i] = static_cast<char>(seed >> 16);
  }
  return bytes;
}

// Reads the whole file with request sizes taken in turn from `sizes`.
std::string readInSizes(Host& host, FileHandle file,
                        const std::vector<std::size_t>& sizes) {
  std::string out;
  std::vector<unsigned char> block(200000);
  for (std::size_t i = 0;; ++i) {
    const std::size_t want = sizes[i % sizes.size()];
    const std::size_t got = host.readBlock(file, block.data(), want);
    out.append(reinterpret_cast<const char*>(block.data()), got);
    if (got < want) {
      EXPECT_EQ(0u, host.readBlock(file, block.data(), want));
      return out;
    }
  }
}

TEST(PosixHost, ReadsEveryRequestSizeInFileOrder) {
  const std::string bytes = patterned(300000, 1);
  const std::string name = writeTempFile(bytes);
  Host& host = defaultHost();
  const std::vector<std::vector<std::size_t>> patterns = {
      {29999}, {1, 7, 4000}, {65535, 65536, 65537}, {150000, 3}, {0, 5}};
  for (const auto& sizes : patterns) {
    SCOPED_TRACE(sizes[0]);
    const FileHandle file = host.openForReading(name.c_str(), "");
    ASSERT_NE(kNoFile, file);
    EXPECT_EQ(bytes, readInSizes(host, file, sizes));
    host.closeFile(file);
  }
  std::remove(name.c_str());
}

TEST(PosixHost, KeepsThreeOpenFilesApart) {
  const std::string a = patterned(100000, 2);
  const std::string b = patterned(70001, 3);
  const std::string c = patterned(5000, 4);
  const std::string names[] = {writeTempFile(a), writeTempFile(b),
                               writeTempFile(c)};
  Host& host = defaultHost();
  FileHandle files[3];
  for (int i = 0; i < 3; ++i) {
    files[i] = host.openForReading(names[i].c_str(), "");
    ASSERT_NE(kNoFile, files[i]);
  }
  std::string got[3];
  unsigned char block[3000];
  for (bool more = true; more;) {
    more = false;
    for (int i = 0; i < 3; ++i) {
      const std::size_t n = host.readBlock(files[i], block, sizeof block);
      got[i].append(reinterpret_cast<const char*>(block), n);
      more = more || n == sizeof block;
    }
  }
  EXPECT_EQ(a, got[0]);
  EXPECT_EQ(b, got[1]);
  EXPECT_EQ(c, got[2]);
  for (int i = 0; i < 3; ++i) {
    host.closeFile(files[i]);
    std::remove(names[i].c_str());
  }
}

// Files and folders are found as opening finds them: as typed, else with
// backslashes as separators and letter case ignored.
TEST(PosixHost, ExistingNamesAreLookedUpAsOpeningDoes) {
  char base[] = "/tmp/zudiz_names_XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(base));
  const std::string dir = base;
  ASSERT_EQ(0, mkdir((dir + "/New").c_str(), 0700));
  std::FILE* f = std::fopen((dir + "/New/case7.rpt").c_str(), "w");
  ASSERT_NE(nullptr, f);
  std::fclose(f);

  struct {
    std::string name;
    bool file, folder;
  } rows[] = {
      {"/New/case7.rpt", true, false},
      {"/new/CASE7.RPT", true, false},
      {"\\NEW\\Case7.Rpt", true, false},
      {"/NEW", false, true},
      {"/New/", false, true},
      {"/new/", false, false},  // an empty part matches nothing
      {"/new/case7.rpt/", false, false},
      {"/New/case7.rpt/", false, false},
      {"/new//case7.rpt", false, false},
      {"\\NEW\\Case7.Rpt\\", false, false},
      {"", false, true},
      {"/new/nosuch.rpt", false, false},
      {"/new/case7.rpt/x", false, false},
      {"/other/case7.rpt", false, false},
  };
  Host& host = defaultHost();
  for (const auto& row : rows) {
    const std::string name = dir + row.name;
    SCOPED_TRACE(name);
    EXPECT_EQ(row.file, host.isExistingFile(name.c_str()));
    EXPECT_EQ(row.folder, host.isExistingFolder(name.c_str()));
  }
  std::remove((dir + "/New/case7.rpt").c_str());
  rmdir((dir + "/New").c_str());
  rmdir(base);
}

// Standard output replaced by `fd`, then one write through the host; the
// write must end the process.
void writeThrough(int fd) {
  dup2(fd, STDOUT_FILENO);
  defaultHost().writeOut("Comparing A vs. B\r\n", 19);
  std::fprintf(stderr, "writeOut returned\n");
  std::exit(0);
}

TEST(PosixHostDeathTest, FullDiskIsNamedOnStandardError) {
  const int full = open("/dev/full", O_WRONLY);
  if (full < 0) {
    GTEST_SKIP() << "no /dev/full";
  }
  EXPECT_EXIT(writeThrough(full), testing::ExitedWithCode(9),
              "^zudiz: cannot write the listing: No space left on device\n$");
  close(full);
}

TEST(PosixHostDeathTest, ClosedPipeEndsQuietly) {
  int ends[2];
  ASSERT_EQ(0, pipe(ends));
  close(ends[0]);
  // The program ignores SIGPIPE from its start-up on; so does the child.
  EXPECT_EXIT(
      {
        signal(SIGPIPE, SIG_IGN);
        writeThrough(ends[1]);
      },
      testing::ExitedWithCode(9), "^$");
  close(ends[1]);
}

}  // namespace

#endif  // _WIN32
