// What the pieces of the suite's HTML report share: the texts of numbers
// and verdicts, and the page's escaping. Only the report's own units
// (html_export, html_chart, html_pair_view) include it.
#pragma once

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "suite/report_text.h"
#include "zudiz/zudiz.h"

namespace suite::html {

// Adds a count to a sum that stays at the largest value instead of
// overflowing, whatever counts merged results bring.
inline void addCapped(std::int64_t& sum, std::int64_t count) {
  if (__builtin_add_overflow(sum, count, &sum)) {
    sum = count < 0 ? std::numeric_limits<std::int64_t>::min()
                    : std::numeric_limits<std::int64_t>::max();
  }
}

inline void appendText(std::string& out, std::string_view text,
                       Bytes bytes = Bytes::kName) {
  appendHtml(out, text, bytes);
}

// --- Numbers -----------------------------------------------------------------

// The shortest text that reads back as `value`.
inline std::string shortest(double value) {
  char buffer[32];
  auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return error == std::errc() ? std::string(buffer, end) : std::string("0");
}

inline std::string formatted(const char* format, double value) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, format, value);
  return std::string(buffer,
                     n < 0 ? 0 : std::min<std::size_t>(n, sizeof buffer - 1));
}

// A relative difference as a percentage with three significant digits.
inline std::string percent(double relative) {
  return formatted("%.3g", relative * 100) + " %";
}

inline double relativeOf(const zudiz::NumberPair& number) {
  return zudiz::relativeDifference(number.value1, number.value2);
}

// The lower bound of a histogram bucket: 0, 1e-9, ..., 0.1, 1.
inline double lowerBound(int bucket) {
  return bucket == 0 ? 0 : std::pow(10.0, bucket - 10);
}

// The lower bound as the chart writes it: "1e-9" ... "1e-4", "0.001" ... "1".
inline std::string boundLabel(int bucket) {
  int exponent = bucket - 10;
  if (exponent >= -3) {
    std::string label =
        exponent == 0 ? "1" : "0." + std::string(-exponent - 1, '0') + "1";
    return label;
  }
  return "1e" + std::to_string(exponent);
}

inline constexpr std::array<const char*, zudiz::kVerdicts> kVerdictKeys = {
    "listed", "tiny", "last_place", "within_tolerance"};
inline constexpr std::array<const char*, zudiz::kVerdicts> kVerdictNames = {
    "listed", "below 0.1 %", "last place only", "within tolerance"};

}  // namespace suite::html
