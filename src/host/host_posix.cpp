// The host on Linux and other POSIX systems. The command line is rebuilt from
// argv; file names are opened as typed, and when that fails, with
// backslashes read as separators and each component matched without regard
// to letter case. There are no drive letters or network connections.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "host/host.h"
#include "host/memory.h"

namespace {

class PosixHost : public Host {
 public:
  void setArguments(int argc, char** argv) {
    // Each element joined by one blank; an element that is empty or holds a
    // blank, and holds no double quote, is wrapped in double quotes, so that
    // the word splitting gives it back unchanged.
    line_.clear();
    for (int i = 0; i < argc; ++i) {
      if (i > 0) {
        line_ += ' ';
      }
      const char* arg = argv[i];
      bool quote = (arg[0] == '\0' || std::strchr(arg, ' ') != nullptr) &&
                   std::strchr(arg, '"') == nullptr;
      if (quote) {
        line_ += '"';
      }
      line_ += arg;
      if (quote) {
        line_ += '"';
      }
    }
  }

  std::string_view commandLine() override { return line_; }
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
    struct stat st;
    return stat(name, &st) == 0 && !S_ISDIR(st.st_mode);
  }

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
        _exit(9);  // nobody is reading any more: end quietly
      }
      data += n;
      count -= static_cast<std::size_t>(n);
    }
  }

  void exitProcess(int status) override { _exit(status); }

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

 private:
  static FileHandle openFile(const char* name) {
    int fd;
    do {
      fd = open(name, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
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

  // Finds the file named by `name` with backslashes as separators and each
  // component matched without regard to letter case (the first match in
  // directory order wins).
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
        continue;
      }
      std::string dir = done.empty() ? "." : done;
      std::string found;
      if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
          if (strcasecmp(e->d_name, part.c_str()) == 0) {
            found = e->d_name;
            break;
          }
        }
        closedir(d);
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

  std::string line_ = "zudiz";
  bool consoleReady_ = false;
  std::array<ReadAhead, 2> readAhead_;
};

PosixHost& posixHost() {
  static PosixHost host;
  return host;
}

}  // namespace

Host& defaultHost() {
  return posixHost();
}

void setProcessArguments(int argc, char** argv) {
  posixHost().setArguments(argc, argv);
}

std::unique_ptr<Host> newPlatformHost() {
  // Default-initialised: the read-ahead blocks need no zeroing.
  return std::unique_ptr<Host>(new PosixHost);
}
