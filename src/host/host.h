// The outside world of one run: the command line, files, standard output,
// the process exit and the few drive and directory services used at
// start-up. Everything the program needs from the platform goes through a
// Host, so that tests can hand the run a FakeHost that keeps files in memory,
// captures output and turns the process exit into an exception.
//
// host_posix.cpp and host_win32.cpp each define defaultHost(); CMake builds
// one of them. Nothing outside src/host includes a platform header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

class Host {
 public:
  virtual ~Host() = default;

  // The process command line as one text, the program's name first. On
  // POSIX it is rebuilt from argv (see host_posix.cpp). The text stays valid
  // for the whole run.
  virtual std::string_view commandLine() = 0;

  // Converts the first `length` bytes of `text` in place from the ANSI to
  // the OEM code page (bytes 0 to 127 stay). Changes nothing on POSIX.
  virtual void convertToOem(char* text, std::size_t length) = 0;

  // Once per process: file names in the OEM code page, binary standard
  // output, and the out-of-memory handler.
  virtual void setUpConsole() = 0;

  // True when `name`, exactly as typed, names an existing file that is not a
  // directory. Lets a POSIX path such as runs/a.rpt stand as one file name
  // instead of a name and switches. Always false on Windows.
  virtual bool isExistingFile(const char* name) = 0;

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
  // is gone (a closed pipe), the run ends quietly with status 9.
  virtual void writeOut(const char* data, std::size_t count) = 0;

  // Ends the process with `status`. FakeHost throws instead, so callers must
  // not rely on it not returning; see endRun().
  virtual void exitProcess(int status) = 0;

  // --- Drive and directory services of the start-up step -----------------
  // They mirror the Windows calls of the same names; on POSIX there are no
  // drive letters and no network connections.

  // Like GetCurrentDirectoryA: the length of the text stored in `buffer`
  // (zero-terminated), 0 on failure, or the size needed (including the
  // terminator) when `capacity` is too small.
  virtual std::uint32_t getCurrentDirectory(char* buffer,
                                            std::uint32_t capacity) = 0;
  // Like GetFullPathNameA: the length stored, 0 on failure, or the size
  // needed when `capacity` is too small.
  virtual std::uint32_t getFullPathName(const char* path, char* buffer,
                                        std::uint32_t capacity) = 0;
  // Like GetLogicalDrives: bit i set when drive letter 'A' + i exists.
  virtual std::uint32_t getLogicalDrives() = 0;
  // Like WNetGetConnectionA for the local name `local` ("X:"): true on
  // success with the zero-terminated remote name in `remote`.
  virtual bool getNetworkConnection(const char* local, char* remote,
                                    std::uint32_t capacity) = 0;
  virtual bool setEnvironmentVariable(const char* name, const char* value) = 0;
  virtual bool setCurrentDirectory(const char* path) = 0;
};

// The host of the platform this program was built for.
Host& defaultHost();

// A host of this platform of its own, apart from defaultHost(): its file calls
// keep their state (read-ahead blocks) in the object, so that runs on
// different threads each read their files through their own. Its other calls
// act on the process as defaultHost()'s do: a library run uses only its file
// calls (isExistingFile, openForReading, readBlock, closeFile).
std::unique_ptr<Host> newPlatformHost();

// Hands main's arguments to the default host (POSIX rebuilds the command line
// from them; Windows reads its own and ignores them).
void setProcessArguments(int argc, char** argv);
