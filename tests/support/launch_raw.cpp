// Test launcher for the Windows build: starts a program with a command line
// taken byte for byte from a file, so that a test controls the exact text the
// program gets from GetCommandLineA (quotes, blanks, tabs and bytes above 127
// in the ANSI code page included), which no argument list passed through a
// shell or through wine can do.
//
//   launch_raw PROGRAM.exe CMDLINE_FILE
//
// The whole file is the command line, the program's own name as its first
// word; one line end at its end (LF or CR LF) is dropped. The program
// inherits the standard handles. Returns the program's exit status, or 125
// when it cannot be started.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

bool readWholeFile(const char* name, std::string& text) {
  std::FILE* f = std::fopen(name, "rb");
  if (f == nullptr) {
    return false;
  }
  char block[4096];
  std::size_t n;
  while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
    text.append(block, n);
  }
  bool ok = std::ferror(f) == 0;
  std::fclose(f);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: launch_raw PROGRAM.exe CMDLINE_FILE\n");
    return 125;
  }
  std::string line;
  if (!readWholeFile(argv[2], line)) {
    std::fprintf(stderr, "launch_raw: cannot read %s\n", argv[2]);
    return 125;
  }
  if (!line.empty() && line.back() == '\n') {
    line.pop_back();
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
    }
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(argv[1], line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &process)) {
    std::fprintf(stderr, "launch_raw: cannot start %s (error %lu)\n", argv[1],
                 static_cast<unsigned long>(GetLastError()));
    return 125;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 125;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}
