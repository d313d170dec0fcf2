// A Host that keeps files in memory, captures standard output, and turns the
// process exit into a FatalExit exception, so a test can run any part of the
// program, including its fatal paths, inside the test process.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "host/host.h"

struct FatalExit {
  int status;
};

class FakeHost : public Host {
 public:
  // Files by name (as the program passes them to openForReading: the typed
  // name is tried first, then the stored one).
  std::map<std::string, std::string> files;
  // Folders by name, exactly as the program asks for them.
  std::set<std::string> folders;
  std::string output;
  std::string commandLineText = "ZUDIZ";
  // When set, the command line comes as these words already split, the
  // program's name first, as on POSIX; commandLineText is then not used.
  std::optional<std::vector<std::string>> argumentWords;
  // Whether a lone --help, -h or --version asks for the usage (as on POSIX).
  bool helpOptions = false;
  // When set, readBlock returns at most this many bytes per call even before
  // the end of the file (a faulty file layer's short read).
  std::size_t shortReadLimit = 0;
  int readCalls = 0;
  int openFiles = 0;

  void addFile(const std::string& name, const std::string& bytes) {
    files[name] = bytes;
  }

  std::string_view commandLine() override { return commandLineText; }
  const std::vector<std::string>* splitWords() override {
    return argumentWords ? &*argumentWords : nullptr;
  }
  void convertToOem(char*, std::size_t) override {}
  void setUpConsole() override {}
  bool isExistingFile(const char* name) override;
  bool acceptsHelpOptions() override { return helpOptions; }
  bool isExistingFolder(const char* name) override {
    return folders.count(name) != 0;
  }
  FileHandle openForReading(const char* typed, const char* stored) override;
  std::size_t readBlock(FileHandle file, unsigned char* dest,
                        std::size_t count) override;
  void closeFile(FileHandle file) override;
  void writeOut(const char* data, std::size_t count) override {
    output.append(data, count);
  }
  void exitProcess(int status) override { throw FatalExit{status}; }

 private:
  struct OpenFile {
    std::string data;
    std::size_t offset = 0;
    bool open = false;
  };
  std::vector<OpenFile> open_;
};
