#include "support/fake_host.h"

#include <algorithm>
#include <cstring>

bool FakeHost::isExistingFile(const char* name) {
  return files.count(name) != 0;
}

FileHandle FakeHost::openForReading(const char* typed, const char* stored) {
  auto it = files.find(typed);
  if (it == files.end()) {
    it = files.find(stored);
  }
  if (it == files.end()) {
    return kNoFile;
  }
  open_.push_back(OpenFile{it->second, 0, true});
  ++openFiles;
  return static_cast<FileHandle>(open_.size() - 1);
}

std::size_t FakeHost::readBlock(FileHandle file, unsigned char* dest,
                                std::size_t count) {
  ++readCalls;
  OpenFile& f = open_.at(static_cast<std::size_t>(file));
  if (!f.open) {
    return 0;
  }
  std::size_t n = std::min(count, f.data.size() - f.offset);
  if (shortReadLimit > 0) {
    n = std::min(n, shortReadLimit);
  }
  std::memcpy(dest, f.data.data() + f.offset, n);
  f.offset += n;
  return n;
}

void FakeHost::closeFile(FileHandle file) {
  OpenFile& f = open_.at(static_cast<std::size_t>(file));
  if (f.open) {
    f.open = false;
    --openFiles;
  }
}

std::uint32_t FakeHost::getCurrentDirectory(char* buffer,
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

std::uint32_t FakeHost::getFullPathName(const char* path, char* buffer,
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

bool FakeHost::getNetworkConnection(const char* local, char* remote,
                                    std::uint32_t capacity) {
  auto it = connections.find(local[0]);
  if (it == connections.end() || it->second.size() + 1 > capacity) {
    return false;
  }
  std::memcpy(remote, it->second.c_str(), it->second.size() + 1);
  return true;
}

bool FakeHost::setCurrentDirectory(const char* path) {
  ++setDirectoryCalls;
  if (failSetDirectory) {
    return false;
  }
  currentDir = path;
  return true;
}
