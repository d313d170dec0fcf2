#include "suite/report_file.h"

#include <cerrno>
#include <cstring>

namespace suite {

ReportFile::~ReportFile() {
  abandon();
}

bool ReportFile::open(const std::string& target, std::string* error,
                      std::FILE* standardOutput) {
  abandon();
  target_ = target;
  outputClosed_ = false;
  if (target == kStandardOutput) {
    stream_ = standardOutput;
    return true;
  }
  std::string reason;
  if (!file_.open(target, &reason)) {
    *error = "cannot write " + target + ": " + reason;
    return false;
  }
  return true;
}

bool ReportFile::commit(std::string_view text, std::string* error) {
  if (stream_ == nullptr) {
    std::string reason;
    if (!file_.commit(text, &reason)) {
      *error = "cannot write " + target_ + ": " + reason;
      return false;
    }
    return true;
  }
  std::FILE* stream = stream_;
  stream_ = nullptr;
  errno = 0;
  const bool written =
      std::fwrite(text.data(), 1, text.size(), stream) == text.size() &&
      std::fflush(stream) == 0;
  if (written) {
    return true;
  }
  const int reason = errno != 0 ? errno : EIO;
  outputClosed_ = reason == EPIPE;
  *error =
      "cannot write to standard output: " + std::string(std::strerror(reason));
  return false;
}

bool ReportFile::write(std::string_view text, std::string* error) {
  if (stream_ == nullptr) {
    std::string reason;
    if (!file_.write(text, &reason)) {
      *error = "cannot write " + target_ + ": " + reason;
      return false;
    }
    return true;
  }
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stream_) == text.size()) {
    return true;
  }
  const int reason = errno != 0 ? errno : EIO;
  outputClosed_ = reason == EPIPE;
  *error =
      "cannot write to standard output: " + std::string(std::strerror(reason));
  return false;
}

void ReportFile::abandon() {
  stream_ = nullptr;
  file_.abandon();
}

}  // namespace suite
