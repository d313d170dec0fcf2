#include "host/paths.h"

#include <cstdint>
#include <cstring>

#include "host/startup_services.h"

namespace {

constexpr char kBackslash = '\\';

char upperCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Length of a path buffer's text; a buffer without a terminator counts as
// full.
std::size_t pathLength(const char* path) {
  std::size_t length = 0;
  while (length < kPathCapacity - 1 && path[length] != '\0') {
    ++length;
  }
  return length;
}

bool startsWithTwoBackslashes(const char* path) {
  return path[0] == kBackslash && path[1] == kBackslash;
}

// True when the first `count` characters of `a` and `b` agree, letters
// a to z taken as A to Z.
bool samePrefixIgnoringCase(const char* a, const char* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (upperCase(a[i]) != upperCase(b[i])) {
      return false;
    }
  }
  return true;
}

// Sets the per-drive current directory variable ("=X:") of `letter`.
void setDriveDirectory(StartupServices& services, char letter,
                       const char* directory) {
  char name[] = {'=', upperCase(letter), ':', '\0'};
  services.setEnvironmentVariable(name, directory);
}

}  // namespace

void currentDirectory(StartupServices& services, char* path) {
  path[0] = '\0';
  std::uint32_t reported = services.getCurrentDirectory(
      path, static_cast<std::uint32_t>(kPathCapacity));
  if (reported == 0 || reported >= kPathCapacity) {
    path[0] = '\0';
    return;
  }
  std::size_t length = pathLength(path);
  if (length > 0 && path[length - 1] == kBackslash) {
    return;
  }
  if (length + 1 >= kPathCapacity) {
    path[0] = '\0';  // no room for the backslash: the path does not fit
    return;
  }
  path[length] = kBackslash;
  path[length + 1] = '\0';
}

void fullPathName(StartupServices& services, char* path) {
  if (path[0] == '\0') {
    return;
  }
  char scratch[kPathCapacity];
  std::size_t length = pathLength(path);
  std::memcpy(scratch, path, length);
  scratch[length] = '\0';
  const std::uint32_t capacity = kPathCapacity - 1;
  std::uint32_t stored = services.getFullPathName(scratch, path, capacity);
  if (stored == 0 || stored >= capacity) {
    path[0] = '\0';  // failed, or the full name does not fit
  }
}

void stripTrailingBackslashes(char* path) {
  std::size_t length = pathLength(path);
  while (length > 0 && path[length - 1] == kBackslash) {
    --length;
  }
  path[length] = '\0';
}

void trimBlanks(char* dest, const char* source) {
  std::size_t start = 0;
  std::size_t end = pathLength(source);
  while (start < end && source[start] == ' ') {
    ++start;
  }
  while (end > start && source[end - 1] == ' ') {
    --end;
  }
  std::memmove(dest, source + start, end - start);
  dest[end - start] = '\0';
}

void mapNetworkPath(StartupServices& services, char* path) {
  if (!startsWithTwoBackslashes(path)) {
    return;
  }
  const std::size_t length = pathLength(path);
  const std::uint32_t drives = services.getLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((drives & (std::uint32_t{1} << i)) == 0) {
      continue;
    }
    const char letter = static_cast<char>('A' + i);
    const char local[] = {letter, ':', '\0'};
    char remote[kPathCapacity] = {};
    if (!services.getNetworkConnection(
            local, remote, static_cast<std::uint32_t>(kPathCapacity))) {
      continue;
    }
    std::size_t shared = pathLength(remote);
    if (shared == 0 || shared > length ||
        !samePrefixIgnoringCase(path, remote, shared)) {
      continue;
    }
    // The share must end where a folder name ends: \\SRV\DATA is not the
    // start of \\SRV\DATA2.
    if (shared < length && path[shared] != kBackslash &&
        remote[shared - 1] != kBackslash) {
      continue;
    }
    // The rest of the path moves behind the drive letter and colon, cut to
    // the buffer should the share name be a single character.
    std::size_t rest = length - shared;
    if (rest + 2 > kPathCapacity - 1) {
      rest = kPathCapacity - 1 - 2;
    }
    std::memmove(path + 2, path + shared, rest);
    path[0] = letter;
    path[1] = ':';
    path[rest + 2] = '\0';
    return;
  }
}

void changeDirectory(StartupServices& services, const char* path) {
  char oldDir[kPathCapacity];
  currentDirectory(services, oldDir);
  stripTrailingBackslashes(oldDir);

  char newDir[kPathCapacity];
  trimBlanks(newDir, path);
  fullPathName(services, newDir);
  stripTrailingBackslashes(newDir);
  std::size_t length = pathLength(newDir);
  if (length > 1 && newDir[length - 1] == ':' && length + 1 < kPathCapacity) {
    newDir[length] = kBackslash;  // a bare drive means its root
    newDir[length + 1] = '\0';
    ++length;
  }

  // The host keeps a failure here silent (no system error box).
  bool lastCallSucceeded = services.setCurrentDirectory(newDir);
  if (!lastCallSucceeded || length < 2 || newDir[1] != ':' ||
      upperCase(newDir[0]) == upperCase(oldDir[0])) {
    return;
  }
  if (pathLength(oldDir) >= 2 && oldDir[1] == ':') {
    setDriveDirectory(services, oldDir[0], oldDir);
  }
  setDriveDirectory(services, newDir[0], newDir);
}

void moveToMappedDrive(StartupServices& services) {
  char path[kPathCapacity];
  currentDirectory(services, path);
  if (!startsWithTwoBackslashes(path)) {
    return;
  }
  mapNetworkPath(services, path);
  changeDirectory(services, path);
}
