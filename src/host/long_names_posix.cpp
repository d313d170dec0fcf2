#include "host/long_names_posix.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace {

// open/openat, repeated when a signal interrupts it.
int openRetrying(int base, const char* path, int flags) {
  int fd;
  do {
    fd = openat(base, path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Closes `fd` without changing errno (the caller reports an earlier error).
void closeKeepingErrno(int fd) {
  const int saved = errno;
  close(fd);
  errno = saved;
}

// Walks `path` folder by folder from `base`; used when the whole name is
// too long for one call.
int walkFolders(int base, std::string_view path) {
  std::string part;
  int current = -1;
  std::size_t pos = 0;
  if (!path.empty() && path[0] == '/') {
    current = openRetrying(AT_FDCWD, "/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    pos = 1;
  } else {
    current = openRetrying(base, ".", O_PATH | O_DIRECTORY | O_CLOEXEC);
  }
  while (current >= 0 && pos < path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string_view::npos) {
      end = path.size();
    }
    part.assign(path.substr(pos, end - pos));
    pos = end + 1;
    if (part.empty()) {
      continue;  // a doubled slash names the same folder
    }
    const int next =
        openRetrying(current, part.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    closeKeepingErrno(current);
    current = next;
  }
  return current;
}

}  // namespace

int openFolderAt(int base, std::string_view path) {
  if (path.empty()) {
    path = ".";
  }
  if (path.size() < PATH_MAX) {
    const std::string name(path);
    const int fd =
        openRetrying(base, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 || errno != ENAMETOOLONG) {
      return fd;
    }
  }
  return walkFolders(base, path);
}

int openParentFolderAt(int base, std::string_view path, std::string* leaf) {
  std::size_t end = path.size();
  if (end > 0 && path[end - 1] == '/') {
    *leaf = ".";
    return openFolderAt(base, path);
  }
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) {
    leaf->assign(path);
    return openFolderAt(base, ".");
  }
  leaf->assign(path.substr(slash + 1));
  return openFolderAt(base,
                      slash == 0 ? path.substr(0, 1) : path.substr(0, slash));
}

int openAnyLength(const char* path, int flags) {
  const int fd = openRetrying(AT_FDCWD, path, flags);
  if (fd >= 0 || errno != ENAMETOOLONG) {
    return fd;
  }
  std::string leaf;
  const int folder = openParentFolderAt(AT_FDCWD, path, &leaf);
  if (folder < 0) {
    return -1;
  }
  const int file = openRetrying(folder, leaf.c_str(), flags);
  closeKeepingErrno(folder);
  return file;
}

int statAnyLength(const char* path, struct stat* st, bool follow) {
  const int flags = follow ? 0 : AT_SYMLINK_NOFOLLOW;
  if (fstatat(AT_FDCWD, path, st, flags) == 0) {
    return 0;
  }
  if (errno != ENAMETOOLONG) {
    return -1;
  }
  std::string leaf;
  const int folder = openParentFolderAt(AT_FDCWD, path, &leaf);
  if (folder < 0) {
    return -1;
  }
  const int result = fstatat(folder, leaf.c_str(), st, flags);
  closeKeepingErrno(folder);
  return result;
}
