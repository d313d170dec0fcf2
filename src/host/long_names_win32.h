// Names of any length on Windows. The ANSI file calls refuse a name whose
// full path is 260 characters or more (MAX_PATH); the wide calls take up to
// 32767 characters in the \\?\ form, which these helpers make. Included only
// by the Windows files of this folder.
#pragma once

#include <string>

// `name` in the file calls' code page (ANSI, or OEM after
// SetFileApisToOEM) as a wide name: as it is when its full path is shorter
// than MAX_PATH, else its full path in the \\?\ form (\\?\UNC\ for a network
// path). Empty when it cannot be converted.
std::wstring wideFileName(const std::string& name);

// The system's words for a Windows error, in the words the POSIX build uses
// where there are such ("No such file or directory", "Permission denied",
// "No space left on device", "Broken pipe").
std::string windowsReason(unsigned long error);
