// A text of fixed capacity, held in place: no allocation, no terminator
// needed. Appending past the capacity cuts the text silently, which is how
// every text of the program behaves (names, words, messages, pending
// differences).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

template <std::size_t N>
struct FixedText {
  static constexpr std::size_t kCapacity = N;

  std::array<char, N> data{};
  std::uint32_t length = 0;

  bool empty() const { return length == 0; }
  std::string_view view() const { return {data.data(), length}; }
  char* begin() { return data.data(); }
  const char* begin() const { return data.data(); }

  void clear() { length = 0; }

  // Appends what fits of `text`; returns the number of bytes taken.
  std::size_t append(std::string_view text) {
    std::size_t room = N - length;
    std::size_t n = std::min(room, text.size());
    if (n > 0) {
      std::memcpy(data.data() + length, text.data(), n);
    }
    length += static_cast<std::uint32_t>(n);
    return n;
  }
  void append(const unsigned char* bytes, std::size_t count) {
    append(std::string_view(reinterpret_cast<const char*>(bytes), count));
  }
  // Appends `count` copies of `c`, as far as they fit.
  void appendRepeated(char c, std::size_t count) {
    std::size_t n = std::min(N - length, count);
    std::memset(data.data() + length, c, n);
    length += static_cast<std::uint32_t>(n);
  }
  // Lengthens the text by what fits of `count` characters without writing
  // them: for a text whose length matters but whose characters never will.
  void extend(std::size_t count) {
    length += static_cast<std::uint32_t>(std::min(N - length, count));
  }

  void assign(std::string_view text) {
    clear();
    append(text);
  }
  // Cuts the text to at most `n` characters.
  void truncate(std::size_t n) {
    if (n < length) {
      length = static_cast<std::uint32_t>(n);
    }
  }
  // A zero-terminated copy for platform calls; `out` must hold N + 1 bytes.
  void copyTerminated(char* out) const {
    std::memcpy(out, data.data(), length);
    out[length] = '\0';
  }
};
