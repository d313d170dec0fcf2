// The host on Linux and other POSIX systems. The command-line words are the
// elements of argv, one word each. File names are opened as typed, and when
// that fails, with backslashes read as separators and each component matched
// without regard to letter case. There are no drive letters or network
// connections. Names of any length open (long_names_posix.h).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "host/host.h"
#include "host/long_names_posix.h"
#include "host/memory.h"
#include "host/startup_services.h"

namespace {

class PosixHost : public Host {
 public:
  // Each element of argv is one command-line word, exactly as the shell
  // handed it over.
  void setArguments(int argc, char** argv) { words_.assign(argv, argv + argc); }

  std::string_view commandLine() override { return {}; }
  const std::vector<std::string>* splitWords() override { return &words_; }
  void convertToOem(char*, std::size_t) override {}

  void setUpConsole() override {
    if (consoleReady_) {
      return;
    }
    consoleReady_ = true;
    installOutOfMemoryHandler();
    // A closed pipe on standard output shows up as a write error instead of
    // a signal, and writeOut ends the run quietly.
    signal(SIGPIPE, SIG_IGN);
  }

  bool isExistingFile(const char* name) override {
    return namesExisting(name, false);
  }
  bool isExistingFolder(const char* name) override {
    return namesExisting(name, true);
  }

  bool acceptsHelpOptions() override { return true; }

  FileHandle openForReading(const char* typed, const char*) override {
    FileHandle h = openFile(typed);
    if (h != kNoFile) {
      return h;
    }
    std::string resolved;
    if (resolveIgnoringCase(typed, resolved)) {
      return openFile(resolved.c_str());
    }
    return kNoFile;
  }

  // The reader asks for a few kilobytes at a time (about a page); each of
  // the two report files is read ahead in larger blocks, so that those
  // requests cost few system calls.
  std::size_t readBlock(FileHandle file, unsigned char* dest,
                        std::size_t count) override {
    const int fd = static_cast<int>(file);
    ReadAhead* ahead = readAheadFor(fd);
    if (ahead == nullptr) {
      return readFully(fd, dest, count);
    }
    std::size_t got = 0;
    while (got < count) {
      if (ahead->next == ahead->length) {
        if (count - got >= kReadAheadSize) {
          return got + readFully(fd, dest + got, count - got);
        }
        ahead->next = 0;
        ahead->length = readOnce(fd, ahead->bytes.data(), kReadAheadSize);
        if (ahead->length == 0) {
          break;  // end of file, or an error taken as the end
        }
      }
      const std::size_t n = std::min(count - got, ahead->length - ahead->next);
      std::memcpy(dest + got, ahead->bytes.data() + ahead->next, n);
      ahead->next += n;
      got += n;
    }
    return got;
  }

  void closeFile(FileHandle file) override {
    const int fd = static_cast<int>(file);
    for (ReadAhead& ahead : readAhead_) {
      if (ahead.fd == fd) {
        ahead.fd = -1;
        ahead.next = 0;
        ahead.length = 0;
      }
    }
    close(fd);
  }

  void writeOut(const char* data, std::size_t count) override {
    while (count > 0) {
      ssize_t n = write(STDOUT_FILENO, data, count);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        endOnWriteError(n < 0 ? errno : EIO);
      }
      data += n;
      count -= static_cast<std::size_t>(n);
    }
  }

  void exitProcess(int status) override { _exit(status); }

 private:
  // A closed pipe means nobody is reading any more: the run ends quietly.
  // Any other failure (a full disk, an I/O error) would leave a cut-off
  // listing that looks whole, so it is named on standard error first.
  [[noreturn]] static void endOnWriteError(int error) {
    if (error != EPIPE) {
      char line[256];
      const int n = std::snprintf(line, sizeof line,
                                  "zudiz: cannot write the listing: %s\n",
                                  std::strerror(error));
      if (n > 0) {
        const std::size_t length =
            std::min(static_cast<std::size_t>(n), sizeof line - 1);
        ssize_t ignored = write(STDERR_FILENO, line, length);
        (void)ignored;
      }
    }
    _exit(9);
  }

  static FileHandle openFile(const char* name) {
    const int fd = openAnyLength(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      return kNoFile;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      close(fd);
      return kNoFile;
    }
    return fd;
  }

  // True when `name` names a directory (`folder`) or a file that is not
  // one, tried as openForReading tries it: as typed, then resolved ignoring
  // letter case.
  static bool namesExisting(const char* name, bool folder) {
    struct stat st;
    if (statAnyLength(name, &st, true) == 0 && S_ISDIR(st.st_mode) == folder) {
      return true;
    }
    std::string resolved;
    return resolveIgnoringCase(name, resolved) &&
           statAnyLength(resolved.c_str(), &st, true) == 0 &&
           S_ISDIR(st.st_mode) == folder;
  }

  // Finds the file named by `name` with backslashes as separators and each
  // component matched without regard to letter case (the first match in
  // directory order wins). An empty component (a doubled or trailing
  // separator) matches nothing, so "a.rpt/" is no name of the file a.rpt.
  static bool resolveIgnoringCase(const char* name, std::string& resolved) {
    std::string path = name;
    for (char& c : path) {
      if (c == '\\') {
        c = '/';
      }
    }
    std::string done = path[0] == '/' ? "/" : "";
    std::size_t pos = path[0] == '/' ? 1 : 0;
    while (pos <= path.size()) {
      std::size_t end = path.find('/', pos);
      if (end == std::string::npos) {
        end = path.size();
      }
      std::string part = path.substr(pos, end - pos);
      pos = end + 1;
      if (part.empty()) {
        return false;
      }
      std::string dir = done.empty() ? "." : done;
      std::string found;
      const int fd =
          openAnyLength(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (DIR* d = fd >= 0 ? fdopendir(fd) : nullptr) {
        while (dirent* e = readdir(d)) {
          if (strcasecmp(e->d_name, part.c_str()) == 0) {
            found = e->d_name;
            break;
          }
        }
        closedir(d);  // closes fd too
      } else if (fd >= 0) {
        close(fd);
      }
      if (found.empty()) {
        return false;
      }
      if (!done.empty() && done.back() != '/') {
        done += '/';
      }
      done += found;
    }
    resolved = done;
    return !resolved.empty();
  }

  static constexpr std::size_t kReadAheadSize = 64 * 1024;

  // Bytes read from a file but not yet handed out.
  struct ReadAhead {
    int fd = -1;  // -1: the slot is free
    std::size_t next = 0;
    std::size_t length = 0;
    std::array<unsigned char, kReadAheadSize> bytes;
  };

  // The slot of `fd`, or a free one taken for it; null when both are taken
  // by other files (reads are then not buffered).
  ReadAhead* readAheadFor(int fd) {
    for (ReadAhead& ahead : readAhead_) {
      if (ahead.fd == fd) {
        return &ahead;
      }
    }
    for (ReadAhead& ahead : readAhead_) {
      if (ahead.fd < 0) {
        ahead.fd = fd;
        return &ahead;
      }
    }
    return nullptr;
  }

  // One read, repeated when interrupted; 0 at the end of the file or on an
  // error.
  static std::size_t readOnce(int fd, unsigned char* dest, std::size_t count) {
    for (;;) {
      ssize_t n = read(fd, dest, count);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      return n < 0 ? 0 : static_cast<std::size_t>(n);
    }
  }

  // Reads until `count` bytes are in or the file has ended.
  static std::size_t readFully(int fd, unsigned char* dest, std::size_t count) {
    std::size_t got = 0;
    while (got < count) {
      const std::size_t n = readOnce(fd, dest + got, count - got);
      if (n == 0) {
        break;
      }
      got += n;
    }
    return got;
  }

  std::vector<std::string> words_{"zudiz"};
  bool consoleReady_ = false;
  std::array<ReadAhead, 2> readAhead_;
};

// No drive letters and no network connections; the directory calls are the
// POSIX ones.
class PosixStartupServices : public StartupServices {
 public:
  std::uint32_t getCurrentDirectory(char* buffer,
                                    std::uint32_t capacity) override {
    if (getcwd(buffer, capacity) == nullptr) {
      return 0;
    }
    return static_cast<std::uint32_t>(std::strlen(buffer));
  }
  std::uint32_t getFullPathName(const char* path, char* buffer,
                                std::uint32_t capacity) override {
    std::size_t n = std::strlen(path);
    if (n + 1 > capacity) {
      return static_cast<std::uint32_t>(n + 1);
    }
    std::memcpy(buffer, path, n + 1);
    return static_cast<std::uint32_t>(n);
  }
  std::uint32_t getLogicalDrives() override { return 0; }
  bool getNetworkConnection(const char*, char*, std::uint32_t) override {
    return false;
  }
  bool setEnvironmentVariable(const char* name, const char* value) override {
    return setenv(name, value, 1) == 0;
  }
  bool setCurrentDirectory(const char* path) override {
    return chdir(path) == 0;
  }
};

PosixHost& posixHost() {
  static PosixHost host;
  return host;
}

}  // namespace

Host& defaultHost() {
  return posixHost();
}

StartupServices& defaultStartupServices() {
  static PosixStartupServices services;
  return services;
}

void setProcessArguments(int argc, char** argv) {
  posixHost().setArguments(argc, argv);
}

std::unique_ptr<Host> newPlatformHost() {
  // Default-initialised: the read-ahead blocks need no zeroing.
  return std::unique_ptr<Host>(new PosixHost);
}
