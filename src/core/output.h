// The one writer of standard output. Output is built piece by piece (texts,
// numbers right-aligned in fixed fields, CR LF line ends) in a fixed buffer
// and handed to the host in large blocks. flush() runs before every process
// exit (endRun).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

class Host;

class Output {
 public:
  explicit Output(Host& host) : host_(host) {}
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  void text(std::string_view piece);
  void text(const char* data, std::size_t count) { text({data, count}); }
  void repeat(char c, std::size_t count);
  // `value` in decimal, right-aligned in `width` columns with blanks on the
  // left; a wider number is written whole. Width 0 writes no padding.
  void number(std::int64_t value, std::size_t width = 0);
  // Writes CR LF.
  void endLine();
  // Hands everything buffered to the host.
  void flush();

 private:
  static constexpr std::size_t kBufferSize = 8192;
  Host& host_;
  std::size_t used_ = 0;
  std::array<char, kBufferSize> buffer_{};
};
