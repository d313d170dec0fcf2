// What the programs above the engine (zudiz-suite) ask of the platform
// beyond the engine's Host: files by names of any length, reports written to
// their targets without touching anything else, the console, and the ways a
// process is told to stop. system_posix.cpp and system_win32.cpp implement
// it; CMake builds one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// --- Names of any length -------------------------------------------------
// A name longer than the platform's usual limit (PATH_MAX on POSIX, 260
// characters on Windows) is opened all the same.

// Reads the whole file `path` into `text`. Returns false with `reason` set
// to the system's words ("No such file or directory", "Permission denied",
// "Is a directory") when it cannot.
bool readWholeFile(const std::string& path, std::string* text,
                   std::string* reason);

// Tries to open `path` for reading as a report would be; returns "" when it
// opens, else the system's words for why not.
std::string whyNotReadable(const std::string& path);

enum class FileKind { kMissing, kFile, kFolder, kOther, kBrokenLink };

// What stands at `path`, links followed (a link to nothing is kBrokenLink);
// `size` gets the size of a file.
FileKind fileKindOf(const std::string& path, std::int64_t* size);

// When the file at `path` (links followed) was last modified, in
// nanoseconds since 1970 UTC, as finely as the file system keeps it (100 ns
// steps on Windows); 0 when it cannot be told.
std::int64_t modifiedNs(const std::string& path);

// --- Reports -------------------------------------------------------------

// A report written to its target whole or not at all. A target that exists
// and is not a regular file (a device such as /dev/null or NUL, a pipe, a
// terminal or console) is opened and written in place: never removed,
// replaced or renamed over. Any other target gets a temporary file
// ".NAME.XXXXXXXX.part" beside it, renamed over it once the whole text is
// written; a target that is a symbolic link is replaced where the link
// leads, and the link stays. Until commit or abandon, the temporary file is
// removed by whatever ends the process (see installStopHandlers).
class ReportTarget {
 public:
  ReportTarget();
  ~ReportTarget();  // abandons what was not committed
  ReportTarget(const ReportTarget&) = delete;
  ReportTarget& operator=(const ReportTarget&) = delete;

  // Opens `target` (a device or pipe is opened for writing; otherwise the
  // temporary file is created). Returns false with `reason` set to the
  // system's words, or "it is a folder".
  bool open(const std::string& target, std::string* reason);

  // Writes `text` and puts it in place. Returns false with `reason` set on
  // any failure; a replaced target is then as it was. REQUIRES: open
  // succeeded and neither commit nor abandon was called since.
  bool commit(std::string_view text, std::string* reason);

  // Removes the temporary file (the target is not touched) or closes the
  // device.
  void abandon();

  bool isOpen() const;
  // True when the target is written in place (a device or pipe).
  bool writesInPlace() const;
  // The temporary file's path as the target's folder is named ("" when none).
  std::string temporaryPath() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Removes every temporary file of a ReportTarget not yet committed. Safe in
// a signal handler.
void removeTemporaryReports();

// --- The console and stopping ---------------------------------------------

// True when standard error is a terminal (console), not a file or a pipe.
bool stderrIsTerminal();

// Sets up how the process may be stopped. The first interrupt (Ctrl-C) only
// sets the flag stopRequested reads. Any ending that cannot wait removes the
// temporary reports and ends the process as the shells report it: a second
// Ctrl-C 130, SIGHUP 129, SIGTERM 143 (Windows: a second Ctrl-C and
// Ctrl-Break 130, closing the console, logging off or shutting down 129). A
// write to a closed pipe becomes an EPIPE error instead of a signal.
void installStopHandlers();

// True once the first interrupt came after installStopHandlers. Safe from
// any thread.
bool stopRequested();
