#include "zudiz/library_host.h"

#include <algorithm>
#include <cstring>

namespace zudiz {

FileLibraryHost::FileLibraryHost() : files_(newPlatformHost()) {}

FileLibraryHost::~FileLibraryHost() {
  for (FileHandle file : open_) {
    files_->closeFile(file);
  }
}

bool FileLibraryHost::isExistingFile(const char* name) {
  return files_->isExistingFile(name);
}

FileHandle FileLibraryHost::openForReading(const char* typed,
                                           const char* stored) {
  // Room first, so that a handle once open is always in the list.
  open_.reserve(open_.size() + 1);
  FileHandle file = files_->openForReading(typed, stored);
  if (file != kNoFile) {
    open_.push_back(file);
  }
  return file;
}

std::size_t FileLibraryHost::readBlock(FileHandle file, unsigned char* dest,
                                       std::size_t count) {
  return files_->readBlock(file, dest, count);
}

void FileLibraryHost::closeFile(FileHandle file) {
  auto at = std::find(open_.begin(), open_.end(), file);
  if (at != open_.end()) {
    open_.erase(at);
  }
  files_->closeFile(file);
}

TextLibraryHost::TextLibraryHost(std::string_view text1,
                                 std::string_view text2) {
  texts_[0].bytes = text1;
  texts_[1].bytes = text2;
}

FileHandle TextLibraryHost::openForReading(const char*, const char*) {
  if (opened_ >= 2) {
    return kNoFile;
  }
  Text& text = texts_[opened_];
  text.offset = 0;
  text.open = true;
  return opened_++;
}

std::size_t TextLibraryHost::readBlock(FileHandle file, unsigned char* dest,
                                       std::size_t count) {
  if (file < 0 || file > 1 || !texts_[file].open) {
    return 0;
  }
  Text& text = texts_[file];
  std::size_t n = std::min(count, text.bytes.size() - text.offset);
  if (n > 0) {
    std::memcpy(dest, text.bytes.data() + text.offset, n);
  }
  text.offset += n;
  return n;
}

void TextLibraryHost::closeFile(FileHandle file) {
  if (file >= 0 && file <= 1) {
    texts_[file].open = false;
  }
}

}  // namespace zudiz
