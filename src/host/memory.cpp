#include "host/memory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "host/host.h"

namespace {

void endWithoutMessage(const char*) { defaultHost().exitProcess(9); }

void newHandler() { outOfMemoryHandler("Not enough memory"); }

constexpr std::size_t kCopyPiece = 65520;

}  // namespace

OutOfMemoryHandler outOfMemoryHandler = endWithoutMessage;

void installOutOfMemoryHandler() {
  outOfMemoryHandler = endWithoutMessage;
  std::set_new_handler(newHandler);
}

void allocate(void*& block, std::size_t size) {
  block = std::malloc(size);
  if (block == nullptr && size > 0) {
    outOfMemoryHandler("Not enough memory");
  }
}

void release(void*& block, std::size_t) {
  if (block != nullptr) {
    std::free(block);
    block = nullptr;
  }
}

void resize(void*& block, std::size_t oldSize, std::size_t newSize,
            bool keep) {
  if (newSize == 0) {
    release(block, oldSize);
    return;
  }
  if (block == nullptr) {
    allocate(block, newSize);
    return;
  }
  if (oldSize == newSize) {
    return;
  }
  if (!keep) {
    release(block, oldSize);
    allocate(block, newSize);
    return;
  }
  void* fresh = nullptr;
  allocate(fresh, newSize);
  std::size_t total = std::min(oldSize, newSize);
  for (std::size_t done = 0; done < total;) {
    std::size_t piece = std::min(kCopyPiece, total - done);
    std::memcpy(static_cast<char*>(fresh) + done,
                static_cast<const char*>(block) + done, piece);
    done += piece;
  }
  release(block, oldSize);
  block = fresh;
}
