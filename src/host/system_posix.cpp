// The services of system.h on Linux and other POSIX systems. Reports and
// their temporary files are reached through a handle on their folder, so
// that a name of any length works and a signal handler can remove a
// temporary file with one unlinkat().
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <random>

#include "host/long_names_posix.h"
#include "host/system.h"

namespace {

// At most this many links are followed from a report's target.
constexpr int kMaxLinks = 40;
// A temporary name keeps at most this much of the target's name, so that it
// stays within NAME_MAX with its dot, suffix and ".part".
constexpr std::size_t kKeptNameBytes = 200;

std::string reasonOf(int error) {
  return std::strerror(error);
}

// --- Temporary files to remove at the end --------------------------------
// Fixed slots, so that a signal handler reads them without locks: a slot is
// in use while `folder` holds a folder handle (not -1); its name is written
// before the handle is published.
struct TemporarySlot {
  std::atomic<int> folder{-1};
  char name[NAME_MAX + 1] = {};
};
constexpr int kTemporarySlots = 32;
std::array<TemporarySlot, kTemporarySlots> temporarySlots;
constexpr int kSlotBeingFilled = -2;

// Publishes a temporary file for removal; -1 when every slot is taken (the
// file is then removed only by a normal end).
int rememberTemporary(int folder, const std::string& name) {
  for (int i = 0; i < kTemporarySlots; ++i) {
    int expected = -1;
    TemporarySlot& slot = temporarySlots[i];
    if (slot.folder.compare_exchange_strong(expected, kSlotBeingFilled)) {
      std::snprintf(slot.name, sizeof slot.name, "%s", name.c_str());
      slot.folder.store(folder);
      return i;
    }
  }
  return -1;
}

void forgetTemporary(int slot) {
  if (slot >= 0) {
    temporarySlots[slot].folder.store(-1);
  }
}

// --- Stopping -------------------------------------------------------------

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
static_assert(std::atomic<int>::is_always_lock_free);

// An ending that cannot wait: the temporary reports go, then the signal's
// own action ends the process, so the shell sees the signal (128 + its
// number).
extern "C" void onEndingSignal(int number) {
  removeTemporaryReports();
  signal(number, SIG_DFL);
  raise(number);  // delivered when this handler returns
}

extern "C" void onFirstInterrupt(int) {
  interrupted.store(true);
  struct sigaction action = {};
  action.sa_handler = onEndingSignal;
  sigaction(SIGINT, &action, nullptr);
}

void handle(int number, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(number, &action, nullptr);
}

// --- Writing ---------------------------------------------------------------

// Writes all of `text` to `fd`; false with errno set on failure.
bool writeAll(int fd, std::string_view text) {
  const char* data = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = write(fd, data, left);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n <= 0) {
      if (n == 0) {
        errno = EIO;
      }
      return false;
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string randomSuffix() {
  std::random_device device;
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(device()));
  return text;
}

// The folder part of `path` with its slash ("" for a bare name).
std::string folderPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

}  // namespace

// --- Names of any length ---------------------------------------------------

bool readWholeFile(const std::string& path, std::string* text,
                   std::string* reason) {
  const int fd = openAnyLength(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    *reason = reasonOf(errno);
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    close(fd);
    *reason = reasonOf(EISDIR);
    return false;
  }
  text->clear();
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      *reason = reasonOf(errno);
      close(fd);
      return false;
    }
    if (n == 0) {
      break;
    }
    text->append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return true;
}

std::string whyNotReadable(const std::string& path) {
  const int fd =
      openAnyLength(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    return reasonOf(errno);
  }
  struct stat st;
  const bool folder = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
  close(fd);
  return folder ? reasonOf(EISDIR) : "";
}

FileKind fileKindOf(const std::string& path, std::int64_t* size) {
  struct stat st;
  if (statAnyLength(path.c_str(), &st, false) != 0) {
    return FileKind::kMissing;
  }
  if (statAnyLength(path.c_str(), &st, true) != 0) {
    return FileKind::kBrokenLink;
  }
  if (S_ISDIR(st.st_mode)) {
    return FileKind::kFolder;
  }
  if (S_ISREG(st.st_mode)) {
    *size = static_cast<std::int64_t>(st.st_size);
    return FileKind::kFile;
  }
  return FileKind::kOther;
}

std::int64_t modifiedNs(const std::string& path) {
  struct stat st;
  if (statAnyLength(path.c_str(), &st, true) != 0) {
    return 0;
  }
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 +
         st.st_mtim.tv_nsec;
}

// --- Reports ---------------------------------------------------------------

struct ReportTarget::State {
  int folder = -1;        // the folder of the file replaced
  std::string leaf;       // its name there
  std::string temporary;  // the temporary file's name there ("" for none)
  std::string shown;      // the temporary file's path, for people and tests
  int fd = -1;            // the temporary file, or the device written in place
  bool inPlace = false;
  int slot = -1;  // its slot among the temporary files to remove
};

ReportTarget::ReportTarget() : state_(std::make_unique<State>()) {}

ReportTarget::~ReportTarget() {
  abandon();
}

bool ReportTarget::isOpen() const {
  return state_->fd >= 0;
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
  std::string path = target;
  std::string shownFolder = folderPart(target);
  int base = AT_FDCWD;
  struct stat st;
  bool exists = false;
  for (int links = 0;; ++links) {
    s.folder = openParentFolderAt(base, path, &s.leaf);
    const int error = errno;
    if (base != AT_FDCWD) {
      close(base);
    }
    if (s.folder < 0) {
      *reason = reasonOf(error);
      return false;
    }
    if (s.leaf == "." || s.leaf == "..") {
      *reason = "it is a folder";
      abandon();
      return false;
    }
    exists = fstatat(s.folder, s.leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) {
      *reason = reasonOf(errno);
      abandon();
      return false;
    }
    if (!exists || !S_ISLNK(st.st_mode)) {
      break;
    }
    // A link that ends at something other than a regular file or a folder
    // (/dev/stdout, /proc/self/fd/1, a link to a device) is written where
    // it ends; its text need not be a path.
    struct stat end;
    if (fstatat(s.folder, s.leaf.c_str(), &end, 0) == 0 &&
        !S_ISREG(end.st_mode) && !S_ISDIR(end.st_mode)) {
      st = end;
      break;
    }
    if (links == kMaxLinks) {
      *reason = reasonOf(ELOOP);
      abandon();
      return false;
    }
    // A link is followed from its own folder to where it leads.
    std::string leads(PATH_MAX, '\0');
    const ssize_t n =
        readlinkat(s.folder, s.leaf.c_str(), leads.data(), leads.size());
    if (n < 0) {
      *reason = reasonOf(errno);
      abandon();
      return false;
    }
    leads.resize(static_cast<std::size_t>(n));
    shownFolder =
        leads[0] == '/' ? folderPart(leads) : shownFolder + folderPart(leads);
    base = s.folder;
    s.folder = -1;
    path = leads;
  }

  if (exists && S_ISDIR(st.st_mode)) {
    *reason = "it is a folder";
    abandon();
    return false;
  }
  struct stat out;
  if (exists && S_ISREG(st.st_mode) && fstat(STDOUT_FILENO, &out) == 0 &&
      out.st_dev == st.st_dev && out.st_ino == st.st_ino) {
    // The file standard output writes to (/dev/stdout when it is
    // redirected to a file): written through it, after what it holds.
    s.fd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (s.fd < 0) {
      *reason = reasonOf(errno);
      abandon();
      return false;
    }
    s.inPlace = true;
    return true;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    // A device, pipe or socket: written where it is. Opening a pipe waits
    // for its reader.
    do {
      s.fd = openat(s.folder, s.leaf.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    } while (s.fd < 0 && errno == EINTR);
    if (s.fd < 0) {
      *reason = reasonOf(errno);
      abandon();
      return false;
    }
    s.inPlace = true;
    return true;
  }

  const std::string kept = s.leaf.substr(0, kKeptNameBytes);
  for (int attempt = 0; attempt < 100 && s.fd < 0; ++attempt) {
    s.temporary = "." + kept + "." + randomSuffix() + ".part";
    s.fd = openat(s.folder, s.temporary.c_str(),
                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (s.fd >= 0) {
      s.slot = rememberTemporary(s.folder, s.temporary);
    } else {
      const int error = errno;
      s.temporary.clear();
      if (error != EEXIST) {
        *reason = reasonOf(error);
        abandon();
        return false;
      }
    }
  }
  if (s.fd < 0) {
    *reason = reasonOf(EEXIST);
    abandon();
    return false;
  }
  if (exists) {
    fchmod(s.fd, st.st_mode & 07777);  // the report keeps its permissions
  }
  s.shown = shownFolder + s.temporary;
  return true;
}

bool ReportTarget::commit(std::string_view text, std::string* reason) {
  State& s = *state_;
  bool ok = writeAll(s.fd, text);
  int error = errno;
  if (close(s.fd) != 0 && ok && errno != EINTR) {
    ok = false;
    error = errno;
  }
  s.fd = -1;
  if (ok && !s.inPlace &&
      renameat(s.folder, s.temporary.c_str(), s.folder, s.leaf.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (ok) {
    forgetTemporary(s.slot);
    s.slot = -1;
    s.temporary.clear();
    s.shown.clear();
  } else {
    *reason = reasonOf(error);
  }
  abandon();
  return ok;
}

void ReportTarget::abandon() {
  State& s = *state_;
  if (s.fd >= 0) {
    close(s.fd);
    s.fd = -1;
  }
  if (!s.temporary.empty()) {
    forgetTemporary(s.slot);
    unlinkat(s.folder, s.temporary.c_str(), 0);
  }
  s.slot = -1;
  s.temporary.clear();
  s.shown.clear();
  if (s.folder >= 0) {
    close(s.folder);
    s.folder = -1;
  }
  s.inPlace = false;
}

void removeTemporaryReports() {
  for (TemporarySlot& slot : temporarySlots) {
    const int folder = slot.folder.load();
    if (folder >= 0) {
      unlinkat(folder, slot.name, 0);
    }
  }
}

// --- The console and stopping ---------------------------------------------

bool stderrIsTerminal() {
  return isatty(STDERR_FILENO) != 0;
}

void installStopHandlers() {
  handle(SIGINT, onFirstInterrupt);
  handle(SIGTERM, onEndingSignal);
  handle(SIGHUP, onEndingSignal);
  signal(SIGPIPE, SIG_IGN);
}

bool stopRequested() {
  return interrupted.load();
}
