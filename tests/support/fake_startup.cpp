#include "support/fake_startup.h"

#include <cstring>

std::uint32_t FakeStartupServices::getCurrentDirectory(char* buffer,
                                                       std::uint32_t capacity) {
  if (failCurrentDirectory) {
    return 0;
  }
  if (currentDir.size() + 1 > capacity) {
    return static_cast<std::uint32_t>(currentDir.size() + 1);
  }
  std::memcpy(buffer, currentDir.c_str(), currentDir.size() + 1);
  return static_cast<std::uint32_t>(currentDir.size());
}

std::uint32_t FakeStartupServices::getFullPathName(const char* path,
                                                   char* buffer,
                                                   std::uint32_t capacity) {
  std::string full = path;
  bool network = full.size() >= 2 && full[0] == '\\' && full[1] == '\\';
  if (!network && (full.size() < 2 || full[1] != ':')) {
    if (!full.empty() && full[0] == '\\') {
      full = currentDir.substr(0, 2) + full;
    } else {
      full = currentDir + (currentDir.back() == '\\' ? "" : "\\") + full;
    }
  }
  if (full.size() + 1 > capacity) {
    return static_cast<std::uint32_t>(full.size() + 1);
  }
  std::memcpy(buffer, full.c_str(), full.size() + 1);
  return static_cast<std::uint32_t>(full.size());
}

bool FakeStartupServices::getNetworkConnection(const char* local, char* remote,
                                               std::uint32_t capacity) {
  auto it = connections.find(local[0]);
  if (it == connections.end() || it->second.size() + 1 > capacity) {
    return false;
  }
  std::memcpy(remote, it->second.c_str(), it->second.size() + 1);
  return true;
}

bool FakeStartupServices::setCurrentDirectory(const char* path) {
  ++setDirectoryCalls;
  if (failSetDirectory) {
    return false;
  }
  currentDir = path;
  return true;
}
