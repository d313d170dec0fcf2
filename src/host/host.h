// The outside world of one run: the command line, files, standard output
// and the process exit. Everything a run needs from the platform goes
// through a Host, so that tests can hand the run a FakeHost that keeps files in
// memory, captures output and turns the process exit into an exception.
//
// host_posix.cpp and host_win32.cpp each define defaultHost(); CMake builds
// one of them. Nothing outside src/host includes a platform header. The
// drive and directory services of the program's start-up are apart
// (host/startup_services.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

class Host {
 public:
  virtual ~Host() = default;

  // The process command line as one text, the program's name first, which
  // the program splits into words by its own rules (Windows). Empty where
  // the platform hands over the words already split (see splitWords). The
  // text stays valid for the whole run.
  virtual std::string_view commandLine() = 0;

  // The command line as words the platform has already split, the program's
  // name first (argv on POSIX, where the shell has split and unquoted it):
  // each element is exactly one command-line word, quotes and blanks inside
  // it included. Null where the program splits commandLine() itself
  // (Windows). The words stay valid for the whole run.
  virtual const std::vector<std::string>* splitWords() { return nullptr; }

  // Converts the first `length` bytes of `text` in place from the ANSI to
  // the OEM code page (bytes 0 to 127 stay). Changes nothing on POSIX.
  virtual void convertToOem(char* text, std::size_t length) = 0;

  // Once per process: file names in the OEM code page, binary standard
  // output, and the out-of-memory handler.
  virtual void setUpConsole() = 0;

  // True when `name` names an existing file that is not a directory, looked
  // up as openForReading does (on POSIX: as typed, else with backslashes as
  // separators and letter case ignored). Lets a POSIX path such as
  // runs/a.rpt stand as one file name instead of a name and switches.
  // Always false on Windows.
  virtual bool isExistingFile(const char* name) = 0;

  // True when `name`, looked up the same way, names an existing directory.
  // Lets a POSIX path in an existing folder whose file is missing be
  // reported as a file that cannot be opened rather than as a bad switch.
  // Always false on Windows.
  virtual bool isExistingFolder(const char*) { return false; }

  // True where users expect a lone --help, -h or --version to ask for the
  // usage text (POSIX). False on Windows, where /? and /HELP do that.
  virtual bool acceptsHelpOptions() { return false; }

  // Opens a report file for reading. `typed` is the name as typed (switches
  // removed, original letter case), `stored` the upper-cased name the program
  // shows. Returns kNoFile when the file cannot be opened for reading (also
  // for a directory).
  virtual FileHandle openForReading(const char* typed, const char* stored) = 0;

  // Reads up to `count` bytes. Returns fewer than `count` only at the real
  // end of the file: partial reads of pipes are continued and interrupted
  // reads retried. A read error counts as the end of the file.
  virtual std::size_t readBlock(FileHandle file, unsigned char* dest,
                                std::size_t count) = 0;

  virtual void closeFile(FileHandle file) = 0;

  // Writes bytes to standard output exactly as given. When standard output
  // is gone (a closed pipe), the run ends quietly with status 9. On POSIX any
  // other write error (a full disk) ends it with status 9 too, after one
  // line on standard error that names the error.
  virtual void writeOut(const char* data, std::size_t count) = 0;

  // Ends the process with `status`. FakeHost throws instead, so callers must
  // not rely on it not returning; see endRun().
  virtual void exitProcess(int status) = 0;
};

// The host of the platform this program was built for.
Host& defaultHost();

// A host of this platform of its own, apart from defaultHost(): its file calls
// keep their state (read-ahead blocks) in the object, so that runs on
// different threads each read their files through their own. Its other calls
// act on the process as defaultHost()'s do: a library run uses only its file
// calls (isExistingFile, openForReading, readBlock, closeFile).
std::unique_ptr<Host> newPlatformHost();

// Hands main's arguments to the default host (on POSIX they are the
// command-line words; Windows reads its own command line and ignores them).
void setProcessArguments(int argc, char** argv);
