// Start-up services of a fake platform: a current directory, drive letters,
// network connections and environment variables kept in the object, so that
// the start-up step (host/paths.h) runs inside the test process.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "host/startup_services.h"

class FakeStartupServices : public StartupServices {
 public:
  std::string currentDir = "C:\\WORK";
  std::uint32_t drives = 0;
  std::map<char, std::string> connections;  // drive letter -> remote name
  std::map<std::string, std::string> environment;
  bool failSetDirectory = false;
  bool failCurrentDirectory = false;  // getCurrentDirectory returns 0
  int setDirectoryCalls = 0;

  std::uint32_t getCurrentDirectory(char* buffer,
                                    std::uint32_t capacity) override;
  std::uint32_t getFullPathName(const char* path, char* buffer,
                                std::uint32_t capacity) override;
  std::uint32_t getLogicalDrives() override { return drives; }
  bool getNetworkConnection(const char* local, char* remote,
                            std::uint32_t capacity) override;
  bool setEnvironmentVariable(const char* name, const char* value) override {
    environment[name] = value;
    return true;
  }
  bool setCurrentDirectory(const char* path) override;
};
