// The hosts of a library run: the engine's outside world for one comparison
// called as a function. Output is collected in memory, the end of a run (the
// usage text or a fatal message) is thrown as LibraryExit for the facade to
// catch, and nothing that belongs to the process is touched: no console or
// code-page set-up, no current directory, no environment, no signals.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"

namespace zudiz {

// Thrown by LibraryHost::exitProcess: the engine ended the run early.
struct LibraryExit {};

class LibraryHost : public Host {
 public:
  // Everything the run wrote, in order.
  std::string output;

  // A library run takes its words from the caller, not from a command line.
  std::string_view commandLine() override { return "ZUDIZ"; }
  // Names and switches are taken as the caller gives them.
  void convertToOem(char*, std::size_t) override {}
  void setUpConsole() override {}
  void writeOut(const char* data, std::size_t count) override {
    output.append(data, count);
  }
  [[noreturn]] void exitProcess(int) override { throw LibraryExit{}; }
};

// Reads report files through a platform host of its own (newPlatformHost),
// so that runs on different threads share nothing. Closes, when it goes,
// every file a run left open (a run that ended early).
class FileLibraryHost : public LibraryHost {
 public:
  FileLibraryHost();
  ~FileLibraryHost() override;

  bool isExistingFile(const char* name) override;
  FileHandle openForReading(const char* typed, const char* stored) override;
  std::size_t readBlock(FileHandle file, unsigned char* dest,
                        std::size_t count) override;
  void closeFile(FileHandle file) override;

 private:
  std::unique_ptr<Host> files_;
  std::vector<FileHandle> open_;
};

// Serves two texts in memory as the two report files: the first file opened
// reads `text1`, the second `text2`, whatever their names. The texts must
// outlive the run.
class TextLibraryHost : public LibraryHost {
 public:
  TextLibraryHost(std::string_view text1, std::string_view text2);

  // No name is a file: a slash in a switch word always starts a switch.
  bool isExistingFile(const char*) override { return false; }
  FileHandle openForReading(const char* typed, const char* stored) override;
  std::size_t readBlock(FileHandle file, unsigned char* dest,
                        std::size_t count) override;
  void closeFile(FileHandle file) override;

 private:
  struct Text {
    std::string_view bytes;
    std::size_t offset = 0;
    bool open = false;
  };
  std::array<Text, 2> texts_;
  int opened_ = 0;
};

}  // namespace zudiz
