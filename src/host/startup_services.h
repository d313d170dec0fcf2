// The drive and directory services of the program's start-up step
// (host/paths.h: a network current directory moved to its drive letter).
// They mirror the Windows calls of the same names; on POSIX there are no
// drive letters and no network connections. Only main() uses them, through
// defaultStartupServices(): a run of the engine and a library call never do,
// so a Host has none of them.
//
// host_posix.cpp and host_win32.cpp each define defaultStartupServices().
#pragma once

#include <cstdint>

class StartupServices {
 public:
  virtual ~StartupServices() = default;

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

// The start-up services of the platform this program was built for.
StartupServices& defaultStartupServices();
