// Fuzz target: one input is split into extra command-line text and two report
// files, and a whole run of the program is made in-process. Every run ends
// through the host's exit hook (an exception), the normal end and the fatal
// messages alike, with status 9; anything else is a finding. So is output
// that breaks the program's own rules: every LF comes after a CR, the output
// ends with a line end, and a line that starts with "*** " (other than the
// cap notice) is the last line.
//
// Input layout: the bytes up to the first LF (when there is one within the
// first 512 bytes) are added to the command line after "ZUDIZ ONE TWO "; the
// rest is split at the first "\n====\n" into the files ONE and TWO (at its
// middle when there is no such separator).
//
// The same input then goes through the library (compareTexts with the words
// as its switches and ONE and TWO as labels): its output must be the
// program's bytes, its status must agree with its counts, and its number
// records with its counts.
//
// The host is a lean one made for this target: the files are read straight
// from the input and the output is checked as it streams; it is also kept,
// in a buffer that grows only to the largest output met, for the comparison
// with the library's.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "core/run_state.h"
#include "driver/run.h"
#include "host/host.h"
#include "zudiz/zudiz.h"

namespace {

struct FuzzExit {
  int status;
};

// Checks the output stream line by line without keeping it.
class OutputChecker {
 public:
  void reset() {
    lineLength_ = 0;
    lastWasCr_ = false;
    fatalLine_ = false;
    capNotice_ = false;
    fatalSeen_ = false;
  }
  void feed(const char* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      const char c = data[i];
      if (fatalSeen_) {
        __builtin_trap();  // nothing may follow a fatal message
      }
      if (c == '\n') {
        if (!lastWasCr_) {
          __builtin_trap();  // a line end without its CR
        }
        if (fatalLine_ && !capNotice_) {
          fatalSeen_ = true;
        }
        lineLength_ = 0;
        fatalLine_ = false;
        capNotice_ = false;
        lastWasCr_ = false;
        continue;
      }
      lastWasCr_ = c == '\r';
      if (lineLength_ < sizeof line_) {
        line_[lineLength_] = c;
      }
      ++lineLength_;
      if (lineLength_ == 4) {
        fatalLine_ = std::memcmp(line_, "*** ", 4) == 0;
      }
      if (lineLength_ == kCapPrefix.size()) {
        capNotice_ =
            std::memcmp(line_, kCapPrefix.data(), kCapPrefix.size()) == 0;
      }
    }
  }
  // At the end of a run the output must end with a complete line.
  void finish() const {
    if (lineLength_ != 0) {
      __builtin_trap();
    }
  }

 private:
  static constexpr std::string_view kCapPrefix = "*** More than ";
  char line_[16] = {};
  std::size_t lineLength_ = 0;
  bool lastWasCr_ = false;
  bool fatalLine_ = false;
  bool capNotice_ = false;
  bool fatalSeen_ = false;
};

class FuzzHost : public Host {
 public:
  void start(std::string_view line, std::string_view one,
             std::string_view two) {
    line_ = line;
    files_[0] = {one, 0, false};
    files_[1] = {two, 0, false};
    checker_.reset();
    output_.clear();
  }
  const OutputChecker& checker() const { return checker_; }
  const std::string& output() const { return output_; }
  std::string_view commandLine() override { return line_; }
  void convertToOem(char*, std::size_t) override {}
  void setUpConsole() override {}
  bool isExistingFile(const char* name) override {
    return fileNumber(name) >= 0;
  }
  FileHandle openForReading(const char* typed, const char* stored) override {
    int i = fileNumber(typed);
    if (i < 0) {
      i = fileNumber(stored);
    }
    if (i < 0) {
      return kNoFile;
    }
    // The same file named twice is opened twice, as by the platform; the
    // second open starts over.
    if (files_[i].open) {
      i += 2;
      files_[i] = files_[i - 2];
    }
    files_[i].offset = 0;
    files_[i].open = true;
    return i;
  }
  std::size_t readBlock(FileHandle file, unsigned char* dest,
                        std::size_t count) override {
    File& f = files_.at(static_cast<std::size_t>(file));
    if (!f.open) {
      __builtin_trap();  // reading a closed file
    }
    const std::size_t n = std::min(count, f.data.size() - f.offset);
    std::memcpy(dest, f.data.data() + f.offset, n);
    f.offset += n;
    return n;
  }
  void closeFile(FileHandle file) override {
    File& f = files_.at(static_cast<std::size_t>(file));
    if (!f.open) {
      __builtin_trap();  // closing a file twice
    }
    f.open = false;
  }
  void writeOut(const char* data, std::size_t count) override {
    checker_.feed(data, count);
    output_.append(data, count);
  }
  void exitProcess(int status) override { throw FuzzExit{status}; }

 private:
  struct File {
    std::string_view data;
    std::size_t offset = 0;
    bool open = false;
  };
  static int fileNumber(const char* name) {
    if (std::strcmp(name, "ONE") == 0) {
      return 0;
    }
    if (std::strcmp(name, "TWO") == 0) {
      return 1;
    }
    return -1;
  }

  std::string_view line_;
  std::array<File, 4> files_{};
  OutputChecker checker_;
  std::string output_;
};

std::int64_t verdictTotal(const zudiz::Result& r, zudiz::Verdict verdict) {
  std::int64_t sum = 0;
  for (const auto& bucket : r.histogram.counts) {
    sum += bucket[static_cast<int>(verdict)];
  }
  return sum;
}

// The library on the same input: the program's bytes, a status that agrees
// with the counts, and number records that agree with them too.
void checkLibrary(std::string_view words, std::string_view one,
                  std::string_view two, const std::string& programOutput) {
  const zudiz::Result r = zudiz::compareTexts(one, two, words, "ONE", "TWO");
  if (r.output != programOutput) {
    __builtin_trap();  // the library's output is not the program's
  }
  if (r.status == zudiz::Status::kError) {
    if (r.message.empty()) {
      __builtin_trap();
    }
    return;
  }
  const zudiz::Counts& c = r.counts;
  const bool same = c.surplusLines == 0 && c.linesDiffered == 0 &&
                    c.wordDifferences == 0 && c.numericDifferences == 0;
  if (same != (r.status == zudiz::Status::kSame)) {
    __builtin_trap();
  }
  if (verdictTotal(r, zudiz::Verdict::kListed) != c.numericDifferences ||
      verdictTotal(r, zudiz::Verdict::kTiny) != c.tinyExcused ||
      verdictTotal(r, zudiz::Verdict::kLastPlace) != c.lastPlaceExcused) {
    __builtin_trap();  // records kept that the comparison took back
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t lineEnd = input.find('\n');
  std::string_view words;
  if (lineEnd != std::string_view::npos && lineEnd <= 512) {
    words = input.substr(0, lineEnd);
    input.remove_prefix(lineEnd + 1);
  }
  std::string_view one;
  std::string_view two;
  constexpr std::string_view kSeparator = "\n====\n";
  std::size_t split = input.find(kSeparator);
  if (split != std::string_view::npos) {
    one = input.substr(0, split);
    two = input.substr(split + kSeparator.size());
  } else {
    one = input.substr(0, input.size() / 2);
    two = input.substr(input.size() / 2);
  }

  // The command line in static storage: "ZUDIZ ONE TWO " and the words.
  constexpr std::string_view kStart = "ZUDIZ ONE TWO ";
  static char line[kStart.size() + 512];
  std::memcpy(line, kStart.data(), kStart.size());
  if (!words.empty()) {
    std::memcpy(line + kStart.size(), words.data(), words.size());
  }

  static FuzzHost host;
  host.start({line, kStart.size() + words.size()}, one, two);
  // A fresh run state each time, built in static storage: a heap block of
  // this size would be mapped and unmapped on every run.
  alignas(RunState) static unsigned char storage[sizeof(RunState)];
  RunState* run = new (storage) RunState(host);
  int status = -1;
  try {
    runProgram(*run);
  } catch (const FuzzExit& exit) {
    status = exit.status;
  }
  run->~RunState();
  if (status != 9) {
    __builtin_trap();  // a run must always end through the exit hook, with 9
  }
  host.checker().finish();
  checkLibrary(words, one, two, host.output());
  return 0;
}
