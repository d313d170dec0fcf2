#include "suite/terminal.h"

#include <atomic>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace suite {
namespace {

// Lock-free, so the signal handler may set it.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int) {
  interrupted.store(true);
  std::signal(SIGINT, SIG_DFL);
}

}  // namespace

bool stderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

void installInterruptHandler() {
  std::signal(SIGINT, onInterrupt);
}

bool interruptRequested() {
  return interrupted.load();
}

}  // namespace suite
