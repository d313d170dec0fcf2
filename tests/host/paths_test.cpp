#include "host/paths.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "support/fake_host.h"

namespace {

using Environment = std::map<std::string, std::string>;

std::uint32_t driveSet(const std::string& letters) {
  std::uint32_t set = 0;
  for (char letter : letters) {
    set |= std::uint32_t{1} << (letter - 'A');
  }
  return set;
}

struct StartCase {
  const char* name;
  std::string currentDir;
  std::string drives;  // existing drive letters
  std::map<char, std::string> connections;
  std::string wantDir;
  Environment wantEnvironment;
};

const std::string kShare = "\\\\SRV\\DATA";

const StartCase kStartCases[] = {
    {"local drive", "C:\\WORK", "CX", {{'X', kShare}}, "C:\\WORK", {}},
    {"root of a share",
     kShare,
     "CX",
     {{'X', kShare}},
     "X:\\",
     {{"=X:", "X:\\"}}},
    {"root of a share with backslash",
     kShare + "\\",
     "X",
     {{'X', kShare}},
     "X:\\",
     {{"=X:", "X:\\"}}},
    {"three folders below",
     kShare + "\\A\\B\\C",
     "CX",
     {{'X', kShare}},
     "X:\\A\\B\\C",
     {{"=X:", "X:\\A\\B\\C"}}},
    {"earlier letter wins",
     kShare + "\\A",
     "PX",
     {{'P', kShare}, {'X', kShare}},
     "P:\\A",
     {{"=P:", "P:\\A"}}},
    {"letter not in the drive set",
     kShare + "\\A",
     "X",
     {{'G', kShare}, {'X', kShare}},
     "X:\\A",
     {{"=X:", "X:\\A"}}},
    {"failing connection skipped",
     kShare + "\\A",
     "YZ",
     {{'Z', kShare}},
     "Z:\\A",
     {{"=Z:", "Z:\\A"}}},
    {"names compare without case",
     "\\\\srv\\Data\\Sub",
     "X",
     {{'X', kShare}},
     "X:\\Sub",
     {{"=X:", "X:\\Sub"}}},
    {"share not connected",
     "\\\\SRV\\OTHER\\A",
     "X",
     {{'X', kShare}},
     "\\\\SRV\\OTHER\\A",
     {}},
    {"share name only a prefix",
     kShare + "2\\A",
     "X",
     {{'X', kShare}},
     kShare + "2\\A",
     {}},
    {"remote name longer than the path",
     kShare,
     "X",
     {{'X', kShare + "\\A"}},
     kShare,
     {}},
    {"empty remote name",
     kShare + "\\A",
     "XY",
     {{'X', ""}, {'Y', kShare}},
     "Y:\\A",
     {{"=Y:", "Y:\\A"}}},
};

TEST(Paths, StartUpMovesANetworkDirectoryToItsDrive) {
  for (const StartCase& c : kStartCases) {
    SCOPED_TRACE(c.name);
    FakeHost host;
    host.currentDir = c.currentDir;
    host.drives = driveSet(c.drives);
    host.connections = c.connections;
    moveToMappedDrive(host);
    EXPECT_EQ(c.wantDir, host.currentDir);
    EXPECT_EQ(c.wantEnvironment, host.environment);
  }
}

TEST(Paths, StartUpOnALocalDriveChangesNothing) {
  FakeHost host;
  host.currentDir = "C:\\WORK";
  host.drives = driveSet("CX");
  host.connections = {{'X', kShare}};
  moveToMappedDrive(host);
  EXPECT_EQ(0, host.setDirectoryCalls);
}

TEST(Paths, StartUpWithAFailingChangeIsSilent) {
  FakeHost host;
  host.currentDir = kShare + "\\A";
  host.drives = driveSet("X");
  host.connections = {{'X', kShare}};
  host.failSetDirectory = true;
  moveToMappedDrive(host);
  EXPECT_EQ(1, host.setDirectoryCalls);
  EXPECT_EQ(kShare + "\\A", host.currentDir);
  EXPECT_TRUE(host.environment.empty());

  host.failSetDirectory = false;
  host.failCurrentDirectory = true;
  moveToMappedDrive(host);
  EXPECT_EQ(1, host.setDirectoryCalls);
}

TEST(Paths, StartUpIgnoresBitsPastZ) {
  FakeHost host;
  host.currentDir = kShare;
  host.drives = ~std::uint32_t{0} << 26;
  host.connections = {{'[', kShare}};
  moveToMappedDrive(host);
  EXPECT_EQ(kShare, host.currentDir);
}

struct ChangeCase {
  const char* name;
  std::string from;
  std::string to;
  std::string wantDir;
  Environment wantEnvironment;
};

const ChangeCase kChangeCases[] = {
    {"other drive",
     "C:\\WORK",
     "D:\\DATA",
     "D:\\DATA",
     {{"=C:", "C:\\WORK"}, {"=D:", "D:\\DATA"}}},
    {"bare drive means its root",
     "C:\\WORK",
     "D:",
     "D:\\",
     {{"=C:", "C:\\WORK"}, {"=D:", "D:\\"}}},
    {"from a drive root",
     "C:\\",
     "D:\\X",
     "D:\\X",
     {{"=C:", "C:"}, {"=D:", "D:\\X"}}},
    {"blanks and backslashes trimmed",
     "C:\\WORK",
     "  D:\\DATA\\\\  ",
     "D:\\DATA",
     {{"=C:", "C:\\WORK"}, {"=D:", "D:\\DATA"}}},
    {"new letter upper-cased",
     "C:\\WORK",
     "d:\\data",
     "d:\\data",
     {{"=C:", "C:\\WORK"}, {"=D:", "d:\\data"}}},
    {"same drive in other case", "c:\\work", "C:\\OTHER", "C:\\OTHER", {}},
    {"relative folder", "C:\\WORK", "SUB", "C:\\WORK\\SUB", {}},
    {"from a network folder",
     kShare + "\\A",
     "D:\\DATA",
     "D:\\DATA",
     {{"=D:", "D:\\DATA"}}},
    {"to a network folder", "C:\\WORK", kShare + "\\B", kShare + "\\B", {}},
};

TEST(Paths, ChangeDirectorySetsPerDriveVariables) {
  for (const ChangeCase& c : kChangeCases) {
    SCOPED_TRACE(c.name);
    FakeHost host;
    host.currentDir = c.from;
    changeDirectory(host, c.to.c_str());
    EXPECT_EQ(c.wantDir, host.currentDir);
    EXPECT_EQ(c.wantEnvironment, host.environment);

    host.currentDir = c.from;
    host.environment.clear();
    host.failSetDirectory = true;
    changeDirectory(host, c.to.c_str());
    EXPECT_EQ(c.from, host.currentDir);
    EXPECT_TRUE(host.environment.empty());
  }
}

TEST(Paths, CurrentDirectoryEndsInOneBackslashOrIsEmpty) {
  FakeHost host;
  char path[kPathCapacity];
  struct {
    std::string dir;
    std::string want;
  } rows[] = {
      {"C:\\WORK", "C:\\WORK\\"},
      {"C:\\", "C:\\"},
      {"C:\\" + std::string(255, 'a'), "C:\\" + std::string(255, 'a') + "\\"},
      {"C:\\" + std::string(256, 'a'), ""},  // no room for the backslash
      {"C:\\" + std::string(257, 'a'), ""},  // the host reports it too long
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.dir.size());
    host.currentDir = row.dir;
    currentDirectory(host, path);
    EXPECT_EQ(row.want, path);
  }
  host.currentDir = "C:\\WORK";
  host.failCurrentDirectory = true;
  currentDirectory(host, path);
  EXPECT_EQ("", std::string(path));
}

TEST(Paths, SmallHelpers) {
  FakeHost host;
  char path[kPathCapacity] = "C:\\A\\\\\\";
  stripTrailingBackslashes(path);
  EXPECT_EQ("C:\\A", std::string(path));
  std::strcpy(path, "\\\\");
  stripTrailingBackslashes(path);
  EXPECT_EQ("", std::string(path));

  char trimmed[kPathCapacity];
  for (const char* blanks : {"", "   ", " \tx y\t  "}) {
    SCOPED_TRACE(blanks);
    trimBlanks(trimmed, blanks);
    std::string want = blanks;
    want.erase(0, want.find_first_not_of(' '));
    want.erase(want.find_last_not_of(' ') + 1);
    EXPECT_EQ(want, trimmed);
  }

  path[0] = '\0';
  fullPathName(host, path);
  EXPECT_EQ("", std::string(path));
  std::strcpy(path, "SUB");
  fullPathName(host, path);
  EXPECT_EQ("C:\\WORK\\SUB", std::string(path));
  // The full name gets 258 characters at most; a longer one leaves the
  // path empty.
  std::string deep(250, 'd');
  std::strcpy(path, deep.c_str());
  fullPathName(host, path);
  EXPECT_EQ("C:\\WORK\\" + deep, path);
  deep += 'd';
  std::strcpy(path, deep.c_str());
  fullPathName(host, path);
  EXPECT_EQ("", std::string(path));
}

TEST(Paths, MappingStaysInsideTheBuffer) {
  FakeHost host;
  host.drives = driveSet("X");
  host.connections = {{'X', "\\"}};
  std::string longPath = "\\\\" + std::string(kPathCapacity - 3, 'p');
  char path[kPathCapacity];
  std::strcpy(path, longPath.c_str());
  mapNetworkPath(host, path);
  EXPECT_EQ("X:" + longPath.substr(1, kPathCapacity - 3), path);
}

}  // namespace
