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
