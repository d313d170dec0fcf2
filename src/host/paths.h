// Path and drive utilities of the start-up step: when the program starts in a
// network folder (\\server\share\...) that is connected to a drive letter,
// the current directory moves to the same folder through that letter. All
// platform calls go through StartupServices, so tests run this on a fake
// platform.
#pragma once

#include <cstddef>

class StartupServices;

// Path buffers hold 260 characters including the terminating zero.
inline constexpr std::size_t kPathCapacity = 260;

// The current directory followed by "\" (added only when missing); empty
// when the call fails or the path does not fit.
void currentDirectory(StartupServices& services, char* path);
// Replaces a non-empty `path` by its full path name.
void fullPathName(StartupServices& services, char* path);
void stripTrailingBackslashes(char* path);
// `dest` := `source` without leading and trailing blanks (character 32).
void trimBlanks(char* dest, const char* source);
// Replaces the "\\server\share" start of `path` by the first drive letter
// (A to Z) connected to it, letters compared without regard to case.
void mapNetworkPath(StartupServices& services, char* path);
// Makes `path` the current directory, silently; on a change of drive letter
// sets the per-drive variables (=X:) of the old and the new drive.
void changeDirectory(StartupServices& services, const char* path);
// The start-up step: a network current directory moves to its drive letter.
void moveToMappedDrive(StartupServices& services);
