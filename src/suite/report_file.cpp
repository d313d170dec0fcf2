#include "suite/report_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

namespace suite {
namespace {

namespace fs = std::filesystem;

std::string randomSuffix() {
  std::random_device device;
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(device()));
  return text;
}

}  // namespace

ReportFile::~ReportFile() {
  abandon();
}

bool ReportFile::open(const std::string& target, std::string* error) {
  abandon();
  std::error_code ec;
  if (fs::is_directory(target, ec)) {
    *error = "cannot write " + target + ": it is a folder";
    return false;
  }
  // The temporary name keeps the target's folder, so the rename stays on one
  // file system and is atomic there.
  fs::path path(target);
  std::string name =
      "." + path.filename().string() + "." + randomSuffix() + ".part";
  temporary_ = (path.parent_path() / name).string();
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (file_ == nullptr) {
    *error = "cannot write " + target + ": " + std::strerror(errno);
    temporary_.clear();
    return false;
  }
  target_ = target;
  return true;
}

bool ReportFile::commit(std::string_view text, std::string* error) {
  bool written = std::fwrite(text.data(), 1, text.size(), file_) == text.size();
  int writeErrno = errno;
  bool closed = std::fclose(file_) == 0;
  if (written && !closed) {
    writeErrno = errno;
  }
  file_ = nullptr;
  if (!written || !closed) {
    *error = "cannot write " + target_ + ": " + std::strerror(writeErrno);
    abandon();
    return false;
  }
  std::error_code ec;
  fs::rename(temporary_, target_, ec);
  if (ec) {
    *error = "cannot write " + target_ + ": " + ec.message();
    abandon();
    return false;
  }
  temporary_.clear();
  return true;
}

void ReportFile::abandon() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    std::error_code ec;
    fs::remove(temporary_, ec);
    temporary_.clear();
  }
}

}  // namespace suite
