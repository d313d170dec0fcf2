#include "core/output.h"

#include <cstring>

#include "host/host.h"

void Output::text(std::string_view piece) {
  while (!piece.empty()) {
    if (used_ == kBufferSize) {
      flush();
    }
    std::size_t n = std::min(kBufferSize - used_, piece.size());
    std::memcpy(buffer_.data() + used_, piece.data(), n);
    used_ += n;
    piece.remove_prefix(n);
  }
}

void Output::repeat(char c, std::size_t count) {
  while (count > 0) {
    if (used_ == kBufferSize) {
      flush();
    }
    std::size_t n = std::min(kBufferSize - used_, count);
    std::memset(buffer_.data() + used_, c, n);
    used_ += n;
    count -= n;
  }
}

void Output::number(std::int64_t value, std::size_t width) {
  char digits[24];
  std::size_t n = 0;
  // Work on the magnitude as unsigned so that the smallest value is safe.
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                      : static_cast<std::uint64_t>(value);
  do {
    digits[sizeof digits - 1 - n] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    ++n;
  } while (magnitude != 0);
  if (value < 0) {
    digits[sizeof digits - 1 - n] = '-';
    ++n;
  }
  if (width > n) {
    repeat(' ', width - n);
  }
  text(digits + sizeof digits - n, n);
}

void Output::endLine() {
  text("\r\n");
}

void Output::flush() {
  if (used_ > 0) {
    std::size_t n = used_;
    used_ = 0;
    host_.writeOut(buffer_.data(), n);
  }
}
