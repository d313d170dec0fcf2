// The one place the suite writes report files. A report is created as a
// temporary file beside its target before the run starts, so a bad path
// fails at once, and renamed into place only when its whole text is
// written: a run that stops early leaves any earlier report untouched. The
// target "-" is standard output; a target that is a device or a pipe is
// written in place and a link's target is replaced, the link kept (see
// ReportTarget in host/system.h).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "host/system.h"

namespace suite {

// The report target that means standard output.
inline constexpr std::string_view kStandardOutput = "-";

class ReportFile {
 public:
  ReportFile() = default;
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;
  // Removes the temporary file when the report was not committed.
  ~ReportFile();

  // Prepares writing to `target`: "-" writes to `standardOutput`. Returns
  // false with `error` ("cannot write TARGET: reason") set when the target
  // cannot be opened or created, or is a folder.
  bool open(const std::string& target, std::string* error,
            std::FILE* standardOutput = stdout);

  // Writes `text` and puts it in place. Returns false with `error` set on
  // any failure; a replaced target is then as it was. REQUIRES: open
  // succeeded and commit was not called yet.
  bool commit(std::string_view text, std::string* error);

  // Writes `text` now, ahead of what commit writes, so that a long report
  // need not be held whole. Returns false with `error` set on failure (then
  // abandon). REQUIRES: as for commit.
  bool write(std::string_view text, std::string* error);

  // Removes the temporary file; the target is not touched.
  void abandon();

  bool isOpen() const { return stream_ != nullptr || file_.isOpen(); }
  // True after a commit to standard output failed because nobody reads it
  // any more (a closed pipe).
  bool outputClosed() const { return outputClosed_; }
  const std::string& target() const { return target_; }
  std::string temporaryPath() const { return file_.temporaryPath(); }
  bool writesInPlace() const { return file_.writesInPlace(); }

 private:
  std::string target_;
  std::FILE* stream_ = nullptr;  // the target "-"
  bool outputClosed_ = false;
  ReportTarget file_;
};

}  // namespace suite
