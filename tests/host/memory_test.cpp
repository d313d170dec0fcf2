#include "host/memory.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(Memory, ResizeToZeroReleasesAndNullAllocates) {
  void* block = nullptr;
  resize(block, 0, 64, true);
  ASSERT_NE(nullptr, block);
  std::memset(block, 7, 64);
  resize(block, 64, 0, true);
  EXPECT_EQ(nullptr, block);

  // Releasing a null block, or resizing it to nothing, is harmless.
  release(block, 64);
  resize(block, 64, 0, false);
  EXPECT_EQ(nullptr, block);
}

TEST(Memory, EqualSizeKeepsTheBlock) {
  void* block = nullptr;
  allocate(block, 100);
  void* before = block;
  resize(block, 100, 100, false);
  EXPECT_EQ(before, block);
  release(block, 100);
  EXPECT_EQ(nullptr, block);
}

TEST(Memory, KeepContentsCarriesTheBytesOver) {
  // 100000 bytes cross the 65520-byte copy piece once.
  struct {
    std::size_t from;
    std::size_t to;
  } rows[] = {{100000, 200000}, {65520, 65521}, {200000, 65521}, {3, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.from) + " -> " + std::to_string(row.to));
    void* block = nullptr;
    allocate(block, row.from);
    auto* bytes = static_cast<unsigned char*>(block);
    for (std::size_t i = 0; i < row.from; ++i) {
      bytes[i] = static_cast<unsigned char>(i * 7 + i / 251);
    }
    resize(block, row.from, row.to, true);
    ASSERT_NE(nullptr, block);
    bytes = static_cast<unsigned char*>(block);
    std::size_t kept = std::min(row.from, row.to);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < kept; ++i) {
      if (bytes[i] != static_cast<unsigned char>(i * 7 + i / 251)) {
        ++wrong;
      }
    }
    EXPECT_EQ(0u, wrong);
    std::memset(bytes, 0, row.to);  // the whole new size is usable
    release(block, row.to);
  }
}

// The address sanitizer ends the process on a request this large instead of
// returning null, so the handler can only be reached in a plain build.
#if !defined(__SANITIZE_ADDRESS__)
struct OutOfMemory {
  std::string message;
};

void throwOutOfMemory(const char* message) {
  throw OutOfMemory{message};
}

TEST(Memory, FailedAllocationCallsTheHandler) {
  OutOfMemoryHandler saved = outOfMemoryHandler;
  outOfMemoryHandler = throwOutOfMemory;
  void* block = nullptr;
  std::string message;
  try {
    allocate(block, SIZE_MAX / 2);
  } catch (const OutOfMemory& e) {
    message = e.message;
  }
  outOfMemoryHandler = saved;
  EXPECT_EQ("Not enough memory", message);
  EXPECT_EQ(nullptr, block);
}
#endif

}  // namespace
