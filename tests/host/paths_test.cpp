#include "host/paths.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "support/fake_startup.h"

namespace {

std::uint32_t driveSet(const std::string& letters) {
  std::uint32_t set = 0;
  for (char letter : letters) {
    set |= std::uint32_t{1} << (letter - 'A');
  }
  return set;
}

// The environment as "name=value" pairs joined by blanks.
std::string environmentOf(const FakeStartupServices& host) {
  std::string text;
  for (const auto& [name, value] : host.environment) {
    text += (text.empty() ? "" : " ") + name + "=" + value;
  }
  return text;
}

const std::string kShare = "\\\\SRV\\DATA";

struct StartCase {
  std::string currentDir;
  std::string drives;  // existing drive letters
  std::map<char, std::string> connections;
  std::string wantDir;
};

const StartCase kStartCases[] = {
    {"C:\\WORK", "CX", {{'X', kShare}}, "C:\\WORK"},
    {kShare, "CX", {{'X', kShare}}, "X:\\"},
    {kShare + "\\", "X", {{'X', kShare}}, "X:\\"},
    {kShare + "\\A\\B\\C", "CX", {{'X', kShare}}, "X:\\A\\B\\C"},
    {kShare + "\\A", "PX", {{'P', kShare}, {'X', kShare}}, "P:\\A"},
    {kShare + "\\A", "X", {{'G', kShare}, {'X', kShare}}, "X:\\A"},
    {kShare + "\\A", "XYZ", {{'X', ""}, {'Z', kShare}}, "Z:\\A"},
    {"\\\\srv\\Data\\Sub", "X", {{'X', kShare}}, "X:\\Sub"},
    {"\\\\SRV\\OTHER\\A", "X", {{'X', kShare}}, "\\\\SRV\\OTHER\\A"},
    {kShare + "2\\A", "X", {{'X', kShare}}, kShare + "2\\A"},
    {kShare, "X", {{'X', kShare + "\\A"}}, kShare},
};

TEST(Paths, StartUpMovesANetworkDirectoryToItsDrive) {
  for (const StartCase& c : kStartCases) {
    SCOPED_TRACE(c.currentDir);
    FakeStartupServices host;
    host.currentDir = c.currentDir;
    host.drives = driveSet(c.drives);
    host.connections = c.connections;
    moveToMappedDrive(host);
    EXPECT_EQ(c.wantDir, host.currentDir);
    bool moved = c.wantDir != c.currentDir;
    EXPECT_EQ(moved ? "=" + c.wantDir.substr(0, 2) + "=" + c.wantDir : "",
              environmentOf(host));
    EXPECT_EQ(c.currentDir[0] == '\\' ? 1 : 0, host.setDirectoryCalls);

    // A failing change is silent and changes nothing.
    host.currentDir = c.currentDir;
    host.environment.clear();
    host.failSetDirectory = true;
    moveToMappedDrive(host);
    EXPECT_EQ(c.currentDir, host.currentDir);
    EXPECT_EQ("", environmentOf(host));
  }
}

struct ChangeCase {
  std::string from;
  std::string to;
  std::string wantDir;
  std::string wantEnvironment;
};

const ChangeCase kChangeCases[] = {
    {"C:\\WORK", "D:\\DATA", "D:\\DATA", "=C:=C:\\WORK =D:=D:\\DATA"},
    {"C:\\WORK", "D:", "D:\\", "=C:=C:\\WORK =D:=D:\\"},
    {"C:\\", "  d:\\data\\\\  ", "d:\\data", "=C:=C: =D:=d:\\data"},
    {"c:\\work", "C:\\OTHER", "C:\\OTHER", ""},
    {"C:\\WORK", "SUB", "C:\\WORK\\SUB", ""},
    {kShare + "\\A", "D:\\DATA", "D:\\DATA", "=D:=D:\\DATA"},
    {"C:\\WORK", kShare + "\\B", kShare + "\\B", ""},
};

TEST(Paths, ChangeDirectorySetsPerDriveVariables) {
  for (const ChangeCase& c : kChangeCases) {
    SCOPED_TRACE(c.from + " -> " + c.to);
    FakeStartupServices host;
    host.currentDir = c.from;
    changeDirectory(host, c.to.c_str());
    EXPECT_EQ(c.wantDir, host.currentDir);
    EXPECT_EQ(c.wantEnvironment, environmentOf(host));
  }
}

// Path buffers hold 259 characters and a zero; a text that would not fit
// leaves the buffer empty.
TEST(Paths, BuffersNeverOverflow) {
  FakeStartupServices host;
  char path[kPathCapacity];
  for (std::size_t length : {255, 256, 257}) {
    SCOPED_TRACE(length);
    host.currentDir = "C:\\" + std::string(length - 3, 'a');
    currentDirectory(host, path);
    EXPECT_EQ(length < 259 ? host.currentDir + "\\" : "", path);
  }
  host.failCurrentDirectory = true;
  currentDirectory(host, path);
  EXPECT_EQ("", std::string(path));

  host.currentDir = "C:\\WORK";  // full names get 258 characters at most
  for (std::size_t length : {250, 251}) {
    SCOPED_TRACE(length);
    std::string name(length, 'd');
    std::strcpy(path, name.c_str());
    fullPathName(host, path);
    EXPECT_EQ(length == 250 ? "C:\\WORK\\" + name : "", path);
  }

  // A one-character share name would make the path one longer: it is cut.
  host.drives = driveSet("X");
  host.connections = {{'X', "\\"}};
  std::string unc = "\\\\" + std::string(kPathCapacity - 3, 'p');
  std::strcpy(path, unc.c_str());
  mapNetworkPath(host, path);
  EXPECT_EQ("X:" + unc.substr(1, kPathCapacity - 3), path);
}

}  // namespace
