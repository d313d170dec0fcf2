#include "host/memory.h"

#include <cstdint>
#include <new>
#include <string>

#include <gtest/gtest.h>

namespace {

// The address sanitizer ends the process on a request this large instead of
// returning null, so the handler can only be reached in a plain build.
#if !defined(__SANITIZE_ADDRESS__)
struct OutOfMemory {
  std::string message;
};

TEST(Memory, FailedNewCallsTheHandler) {
  const std::new_handler savedNew = std::get_new_handler();
  installOutOfMemoryHandler();
  const OutOfMemoryHandler saved = outOfMemoryHandler;
  outOfMemoryHandler = [](const char* message) { throw OutOfMemory{message}; };
  volatile std::size_t huge = SIZE_MAX / 2;
  std::string message;
  try {
    ::operator delete(::operator new(huge));
  } catch (const OutOfMemory& e) {
    message = e.message;
  }
  outOfMemoryHandler = saved;
  std::set_new_handler(savedNew);
  EXPECT_EQ("Not enough memory", message);
}
#endif

#ifndef _WIN32
TEST(MemoryDeathTest, InstalledHandlerEndsWithNineAndPrintsNothing) {
  EXPECT_EXIT(
      {
        installOutOfMemoryHandler();
        outOfMemoryHandler("Not enough memory");
      },
      testing::ExitedWithCode(9), "^$");
}
#endif

}  // namespace
