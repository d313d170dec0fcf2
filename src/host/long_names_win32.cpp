#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include "host/long_names_win32.h"

#include <windows.h>

#include <vector>

std::wstring wideFileName(const std::string& name) {
  if (name.empty()) {
    return {};
  }
  const UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
  const int length = MultiByteToWideChar(
      codePage, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  if (length <= 0) {
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, name.data(), static_cast<int>(name.size()),
                      wide.data(), length);
  if (wide.rfind(L"\\\\?\\", 0) == 0 || wide.rfind(L"\\\\.\\", 0) == 0) {
    return wide;  // already in a form the system takes as it is
  }
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0 || needed < MAX_PATH) {
    return wide;
  }
  std::vector<wchar_t> full(needed + 1);
  const DWORD got =
      GetFullPathNameW(wide.c_str(), needed + 1, full.data(), nullptr);
  if (got == 0 || got > needed) {
    return wide;
  }
  std::wstring path(full.data(), got);
  if (path.rfind(L"\\\\", 0) == 0) {
    return L"\\\\?\\UNC\\" + path.substr(2);  // \\server\share\...
  }
  return L"\\\\?\\" + path;
}

std::string windowsReason(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return "No such file or directory";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return "Permission denied";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "No space left on device";
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
      return "Broken pipe";
    case ERROR_FILENAME_EXCED_RANGE:
      return "File name too long";
    default:
      break;
  }
  char text[256];
  DWORD n =
      FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, error, 0, text, sizeof text, nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' ||
                   text[n - 1] == ' ' || text[n - 1] == '.')) {
    --n;
  }
  return n > 0 ? std::string(text, n)
               : "Windows error " + std::to_string(error);
}
