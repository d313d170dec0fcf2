#include "host/memory.h"

#include <new>

#include "host/host.h"

namespace {

void endWithoutMessage(const char*) {
  defaultHost().exitProcess(9);
}

void newHandler() {
  outOfMemoryHandler("Not enough memory");
}

}  // namespace

OutOfMemoryHandler outOfMemoryHandler = endWithoutMessage;

void installOutOfMemoryHandler() {
  outOfMemoryHandler = endWithoutMessage;
  std::set_new_handler(newHandler);
}
