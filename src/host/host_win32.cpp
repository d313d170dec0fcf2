// The host on Windows: the command line as the process received it, file
// names in the OEM code page, and the Win32 file, console and drive calls.
// Report files are opened by their upper-cased name, the name the program
// shows; the file system does not care about letter case. A name whose full
// path is too long for the ANSI calls is opened whole, as typed, in the
// \\?\ form (long_names_win32.h).
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <winnetwk.h>

#include <algorithm>
#include <cstdint>

#include "host/host.h"
#include "host/long_names_win32.h"
#include "host/memory.h"
#include "host/startup_services.h"

namespace {

// ReadFile and WriteFile move at most this many bytes per call.
constexpr std::size_t kMaxTransfer = 1u << 30;

HANDLE toHandle(FileHandle file) {
  return reinterpret_cast<HANDLE>(file);
}

DWORD transferSize(std::size_t count) {
  return static_cast<DWORD>(std::min(count, kMaxTransfer));
}

class Win32Host : public Host {
 public:
  std::string_view commandLine() override {
    const char* line = GetCommandLineA();
    return line != nullptr ? std::string_view(line) : std::string_view();
  }

  void convertToOem(char* text, std::size_t length) override {
    if (length > 0) {
      CharToOemBuffA(text, text, static_cast<DWORD>(length));
    }
  }

  void setUpConsole() override {
    if (consoleReady_) {
      return;
    }
    consoleReady_ = true;
    installOutOfMemoryHandler();
    // A name that cannot be opened gives the program's own message only:
    // no critical-error or open-failure boxes from the system.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetFileApisToOEM();
  }

  bool isExistingFile(const char*) override { return false; }

  FileHandle openForReading(const char* typed, const char* stored) override {
    HANDLE h =
        CreateFileA(stored, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      // Too long for the ANSI call, or longer than the name the program
      // keeps: the whole name as typed, in the \\?\ form.
      const std::wstring wide = wideFileName(typed);
      if (wide.rfind(L"\\\\?\\", 0) == 0) {
        h = CreateFileW(wide.c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
      }
    }
    if (h == INVALID_HANDLE_VALUE) {
      return kNoFile;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(h, &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      CloseHandle(h);
      return kNoFile;
    }
    return reinterpret_cast<FileHandle>(h);
  }

  std::size_t readBlock(FileHandle file, unsigned char* dest,
                        std::size_t count) override {
    std::size_t got = 0;
    while (got < count) {
      DWORD n = 0;
      if (!ReadFile(toHandle(file), dest + got, transferSize(count - got), &n,
                    nullptr) ||
          n == 0) {
        break;  // end of file, or an error taken as the end
      }
      got += n;
    }
    return got;
  }

  void closeFile(FileHandle file) override { CloseHandle(toHandle(file)); }

  void writeOut(const char* data, std::size_t count) override {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    while (count > 0) {
      DWORD n = 0;
      if (!WriteFile(out, data, transferSize(count), &n, nullptr) || n == 0) {
        ExitProcess(9);  // nobody is reading any more: end quietly
      }
      data += n;
      count -= n;
    }
  }

  void exitProcess(int status) override {
    ExitProcess(static_cast<UINT>(status));
  }

 private:
  bool consoleReady_ = false;
};

class Win32StartupServices : public StartupServices {
 public:
  std::uint32_t getCurrentDirectory(char* buffer,
                                    std::uint32_t capacity) override {
    return GetCurrentDirectoryA(capacity, buffer);
  }

  std::uint32_t getFullPathName(const char* path, char* buffer,
                                std::uint32_t capacity) override {
    return GetFullPathNameA(path, capacity, buffer, nullptr);
  }

  std::uint32_t getLogicalDrives() override { return GetLogicalDrives(); }

  bool getNetworkConnection(const char* local, char* remote,
                            std::uint32_t capacity) override {
    DWORD size = capacity;
    return WNetGetConnectionA(local, remote, &size) == NO_ERROR;
  }

  bool setEnvironmentVariable(const char* name, const char* value) override {
    return SetEnvironmentVariableA(name, value) != 0;
  }

  bool setCurrentDirectory(const char* path) override {
    return SetCurrentDirectoryA(path) != 0;
  }
};

}  // namespace

Host& defaultHost() {
  static Win32Host host;
  return host;
}

StartupServices& defaultStartupServices() {
  static Win32StartupServices services;
  return services;
}

void setProcessArguments(int, char**) {}

std::unique_ptr<Host> newPlatformHost() {
  return std::unique_ptr<Host>(new Win32Host);
}
