// The services of system.h on Windows: wide file calls in the \\?\ form for
// long names, NUL, CON and pipes written in place, and a console control
// handler that removes the temporary reports on Ctrl-C, Ctrl-Break and when
// the console goes. Links are not followed: a report replaces what its name
// names.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <random>

#include "host/long_names_win32.h"
#include "host/system.h"

namespace {

// --- Temporary files to remove at the end --------------------------------
// The control handler runs on a thread of its own; a slot holds the wide
// name of a temporary file while it is not null.
constexpr int kTemporarySlots = 32;
std::array<std::atomic<const wchar_t*>, kTemporarySlots> temporarySlots{};

int rememberTemporary(const wchar_t* name) {
  for (int i = 0; i < kTemporarySlots; ++i) {
    const wchar_t* expected = nullptr;
    if (temporarySlots[i].compare_exchange_strong(expected, name)) {
      return i;
    }
  }
  return -1;
}

void forgetTemporary(int slot) {
  if (slot >= 0) {
    temporarySlots[slot].store(nullptr);
  }
}

// --- Stopping -------------------------------------------------------------

std::atomic<bool> interrupted{false};

BOOL WINAPI onControl(DWORD event) {
  if (event == CTRL_C_EVENT && !interrupted.exchange(true)) {
    return TRUE;  // the first Ctrl-C asks the run to stop
  }
  removeTemporaryReports();
  const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
  ExitProcess(interrupt ? 130 : 129);
}

std::string randomSuffix() {
  std::random_device device;
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(device()));
  return text;
}

bool isFolder(const std::wstring& name) {
  const DWORD attributes = GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

HANDLE openExisting(const std::wstring& name, DWORD access) {
  return CreateFileW(name.c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool writeAll(HANDLE file, std::string_view text, DWORD* error) {
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const DWORD chunk =
        static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0) {
      *error = GetLastError();
      return false;
    }
    data += written;
    left -= written;
  }
  return true;
}

}  // namespace

// --- Names of any length ---------------------------------------------------

bool readWholeFile(const std::string& path, std::string* text,
                   std::string* reason) {
  const std::wstring name = wideFileName(path);
  if (isFolder(name)) {
    *reason = "Is a directory";
    return false;
  }
  HANDLE file = openExisting(name, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) {
    *reason = windowsReason(GetLastError());
    return false;
  }
  text->clear();
  char buffer[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      const DWORD error = GetLastError();
      if (error == ERROR_BROKEN_PIPE) {
        break;  // a pipe's writer is done
      }
      *reason = windowsReason(error);
      CloseHandle(file);
      return false;
    }
    if (got == 0) {
      break;
    }
    text->append(buffer, got);
  }
  CloseHandle(file);
  return true;
}

std::string whyNotReadable(const std::string& path) {
  const std::wstring name = wideFileName(path);
  if (isFolder(name)) {
    return "Is a directory";
  }
  HANDLE file = openExisting(name, GENERIC_READ);
  if (file == INVALID_HANDLE_VALUE) {
    return windowsReason(GetLastError());
  }
  CloseHandle(file);
  return "";
}

FileKind fileKindOf(const std::string& path, std::int64_t* size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wideFileName(path).c_str(), GetFileExInfoStandard,
                            &data)) {
    return FileKind::kMissing;
  }
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return FileKind::kFolder;
  }
  *size = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
      data.nFileSizeLow);
  return FileKind::kFile;
}

std::int64_t modifiedNs(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(wideFileName(path).c_str(), GetFileExInfoStandard,
                            &data)) {
    return 0;
  }
  // 100 ns steps since 1601; the C runtime's stat would give whole seconds.
  std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
      data.ftLastWriteTime.dwLowDateTime);
  constexpr std::int64_t kTicksFrom1601To1970 = 116444736000000000;
  return (ticks - kTicksFrom1601To1970) * 100;
}

// --- Reports ---------------------------------------------------------------

struct ReportTarget::State {
  std::wstring target;     // the target, wide
  std::wstring temporary;  // the temporary file, wide ("" for none)
  std::string shown;       // the temporary file's path as given
  HANDLE file = INVALID_HANDLE_VALUE;
  bool inPlace = false;
  int slot = -1;
};

ReportTarget::ReportTarget() : state_(std::make_unique<State>()) {}

ReportTarget::~ReportTarget() {
  abandon();
}

bool ReportTarget::isOpen() const {
  return state_->file != INVALID_HANDLE_VALUE;
}

bool ReportTarget::writesInPlace() const {
  return state_->inPlace;
}

std::string ReportTarget::temporaryPath() const {
  return state_->shown;
}

bool ReportTarget::open(const std::string& target, std::string* reason) {
  abandon();
  State& s = *state_;
  s.target = wideFileName(target);
  if (s.target.empty()) {
    *reason = "No such file or directory";
    return false;
  }
  if (isFolder(s.target)) {
    *reason = "it is a folder";
    return false;
  }
  // A device (NUL, CON) or a pipe is written where it is.
  HANDLE probe = openExisting(s.target, 0);
  if (probe != INVALID_HANDLE_VALUE) {
    const DWORD type = GetFileType(probe);
    CloseHandle(probe);
    if (type != FILE_TYPE_DISK) {
      s.file = openExisting(s.target, GENERIC_WRITE);
      if (s.file == INVALID_HANDLE_VALUE) {
        *reason = windowsReason(GetLastError());
        return false;
      }
      s.inPlace = true;
      return true;
    }
  }
  const std::size_t cut = target.find_last_of("\\/:");
  const std::string folder =
      cut == std::string::npos ? "" : target.substr(0, cut + 1);
  const std::string leaf =
      cut == std::string::npos ? target : target.substr(cut + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    s.shown =
        folder + "." + leaf.substr(0, 200) + "." + randomSuffix() + ".part";
    s.temporary = wideFileName(s.shown);
    s.file = CreateFileW(s.temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (s.file != INVALID_HANDLE_VALUE) {
      s.slot = rememberTemporary(s.temporary.c_str());
      return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      *reason = windowsReason(error);
      s.temporary.clear();
      s.shown.clear();
      return false;
    }
  }
  *reason = "File exists";
  s.temporary.clear();
  s.shown.clear();
  return false;
}

bool ReportTarget::commit(std::string_view text, std::string* reason) {
  State& s = *state_;
  DWORD error = 0;
  bool ok = writeAll(s.file, text, &error);
  if (!CloseHandle(s.file) && ok) {
    ok = false;
    error = GetLastError();
  }
  s.file = INVALID_HANDLE_VALUE;
  if (ok && !s.inPlace &&
      !MoveFileExW(s.temporary.c_str(), s.target.c_str(),
                   MOVEFILE_REPLACE_EXISTING)) {
    ok = false;
    error = GetLastError();
  }
  if (ok) {
    forgetTemporary(s.slot);
    s.slot = -1;
    s.temporary.clear();
    s.shown.clear();
  } else {
    *reason = windowsReason(error);
  }
  abandon();
  return ok;
}

void ReportTarget::abandon() {
  State& s = *state_;
  if (s.file != INVALID_HANDLE_VALUE) {
    CloseHandle(s.file);
    s.file = INVALID_HANDLE_VALUE;
  }
  if (!s.temporary.empty()) {
    forgetTemporary(s.slot);
    DeleteFileW(s.temporary.c_str());
  }
  s.slot = -1;
  s.temporary.clear();
  s.shown.clear();
  s.inPlace = false;
}

void removeTemporaryReports() {
  for (std::atomic<const wchar_t*>& slot : temporarySlots) {
    if (const wchar_t* name = slot.load()) {
      DeleteFileW(name);
    }
  }
}

// --- The console and stopping ---------------------------------------------

bool stderrIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

void installStopHandlers() {
  SetConsoleCtrlHandler(onControl, TRUE);
}

bool stopRequested() {
  return interrupted.load();
}
