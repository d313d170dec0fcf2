#include "host/memory.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace {

unsigned char pattern(std::size_t i) {
  return static_cast<unsigned char>(i * 7 + i / 251);
}

TEST(Memory, ResizeReleasesAllocatesAndKeepsContents) {
  void* block = nullptr;
  resize(block, 0, 64, true);  // a null block is allocated
  ASSERT_NE(nullptr, block);
  void* before = block;
  resize(block, 64, 64, false);  // an equal size does nothing
  EXPECT_EQ(before, block);
  resize(block, 64, 0, true);
  EXPECT_EQ(nullptr, block);
  release(block, 64);

  // 100000 -> 200000 copies one 65520-byte piece and then the rest.
  struct {
    std::size_t from, to;
  } rows[] = {{100000, 200000}, {65520, 65521}, {200000, 65521}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.from);
    allocate(block, row.from);
    auto* bytes = static_cast<unsigned char*>(block);
    for (std::size_t i = 0; i < row.from; ++i) {
      bytes[i] = pattern(i);
    }
    resize(block, row.from, row.to, true);
    bytes = static_cast<unsigned char*>(block);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < std::min(row.from, row.to); ++i) {
      wrong += bytes[i] != pattern(i) ? 1 : 0;
    }
    EXPECT_EQ(0u, wrong);
    release(block, row.to);
  }
}

// The address sanitizer ends the process on a request this large instead of
// returning null, so the handler can only be reached in a plain build.
#if !defined(__SANITIZE_ADDRESS__)
struct OutOfMemory {
  std::string message;
};

TEST(Memory, FailedAllocationCallsTheHandler) {
  OutOfMemoryHandler saved = outOfMemoryHandler;
  outOfMemoryHandler = [](const char* message) { throw OutOfMemory{message}; };
  void* block = nullptr;
  std::string message;
  try {
    allocate(block, SIZE_MAX / 2);
  } catch (const OutOfMemory& e) {
    message = e.message;
  }
  outOfMemoryHandler = saved;
  EXPECT_EQ("Not enough memory", message);
}
#endif

}  // namespace
