// The one place the suite writes report files. A report is created as a
// temporary file beside its target before the run starts, so a bad path
// fails at once, and renamed into place only when its whole text is
// written: a run that stops early leaves any earlier report untouched.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace suite {

class ReportFile {
 public:
  ReportFile() = default;
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  // Removes the temporary file when the report was not committed.
  ~ReportFile();

  // Creates the temporary file beside `target`. Returns false with `error`
  // set when it cannot be created or `target` is a folder.
  bool open(const std::string& target, std::string* error);

  // Writes `text` to the temporary file and renames it to the target.
  // Returns false with `error` set on any failure; the target is then as it
  // was before. REQUIRES: open succeeded and commit was not called yet.
  bool commit(std::string_view text, std::string* error);

  // Removes the temporary file; the target is not touched.
  void abandon();

  bool isOpen() const { return file_ != nullptr; }
  const std::string& target() const { return target_; }
  const std::string& temporaryPath() const { return temporary_; }

 private:
  std::string target_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
};

}  // namespace suite
