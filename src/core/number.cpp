#include "core/number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <system_error>

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
// Converts a number part in the form [sign] digits [. digits]
// [E [sign] digits] to a double. False when the magnitude is too large for
// a double; one too small converts to 0.
bool convertNumber(const char* text, std::size_t length, bool negativeExponent,
                   double& value) {
  const char* first = text;
  const char* last = text + length;
  if (first != last && *first == '+') {
    ++first;  // from_chars takes no plus sign on the mantissa
  }
  value = 0.0;
  std::from_chars_result result = std::from_chars(first, last, value);
  if (result.ec == std::errc::result_out_of_range) {
    // A mantissa of at most 257 characters lies between 1e-257 and 1e257,
    // so only a negative exponent can take the value below the range of a
    // double and only a positive one above it.
    value = 0.0;
    return negativeExponent;
  }
  return result.ec == std::errc{} && result.ptr == last;
}

// Reads up to 10 characters as a signed decimal integer; all of them must
// belong to it and its value must fit 32 bits.
bool readExponent(const char* text, std::size_t length, std::int64_t& value) {
  length = std::min<std::size_t>(length, 10);
  std::size_t i = 0;
  bool negative = false;
  if (i < length && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  if (i == length) {
    return false;
  }
  std::int64_t v = 0;
  for (; i < length; ++i) {
    if (!isDigit(text[i])) {
      return false;
    }
    v = v * 10 + (text[i] - '0');
  }
  v = negative ? -v : v;
  if (v < INT32_MIN || v > INT32_MAX) {
    return false;
  }
  value = v;
  return true;
}

// The common number, read in whole numbers: [sign] digits [. digits]
// [E [sign] digits] (E, e, D or d) with commas passed over in the mantissa,
// at most 18 mantissa digits and an exponent of at most three digits, when
// its value in units is a whole number (at most 4 decimals once the
// exponent is applied), so no rounding is needed. Gives the same units and
// trailing length as the general reading below; false for every other
// text, which that reading then takes.
bool scanPlainUnits(const char* text, std::size_t length, std::int64_t& units,
                    std::size_t& trailing, int& place) {
  std::size_t i = 0;
  const bool negative = length > 0 && text[0] == '-';
  if (length > 0 && (text[0] == '-' || text[0] == '+')) {
    ++i;
  }
  std::uint64_t digits = 0;
  int digitCount = 0;
  int decimals = -1;  // -1: no point yet
  std::size_t point = 0;
  bool exponentLetter = false;
  for (; i < length; ++i) {
    const char c = text[i];
    if (isDigit(c)) {
      if (++digitCount > 18) {
        return false;
      }
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      if (decimals >= 0) {
        ++decimals;
      }
    } else if (c == ',') {
      continue;
    } else if (c == '.') {
      if (decimals >= 0) {
        break;
      }
      decimals = 0;
      point = i;
    } else {
      exponentLetter = c == 'E' || c == 'e' || c == 'D' || c == 'd';
      break;  // a sign after the start, or any other byte
    }
  }
  // No digit, or a point with no digit after it: the general reading
  // decides.
  if (digitCount == 0 || decimals == 0) {
    return false;
  }
  int shift = 4 - (decimals < 0 ? 0 : decimals);
  // lastDigitPlace of the number part counts the characters after the point
  // (commas too) up to an E or e, and after that letter the exponent; a D
  // or d it does not take for an exponent letter.
  const std::size_t letter = i;
  int exponentValue = 0;
  const bool placeExponent =
      exponentLetter && (text[i] == 'E' || text[i] == 'e');
  if (exponentLetter) {
    // [sign] one to three digits, ended by the end of the text or by a
    // byte that is no digit and no comma (a comma would be passed over).
    ++i;
    const bool negativeExponent = i < length && text[i] == '-';
    if (i < length && (text[i] == '-' || text[i] == '+')) {
      ++i;
    }
    int exponent = 0;
    int exponentDigits = 0;
    for (; i < length && isDigit(text[i]); ++i) {
      if (++exponentDigits > 3) {
        return false;
      }
      exponent = exponent * 10 + (text[i] - '0');
    }
    // Past 10^280 an 18-digit mantissa could leave the range of a double,
    // which makes the text no number.
    if (exponentDigits == 0 || (i < length && text[i] == ',') ||
        exponent > 280) {
      return false;
    }
    exponentValue = negativeExponent ? -exponent : exponent;
    shift += exponentValue;
  }
  if (shift < 0) {
    return false;  // rounding needed
  }
  const std::size_t placeEnd = placeExponent ? letter : i;
  place = decimals < 0 ? 0 : -static_cast<int>(placeEnd - point - 1);
  if (placeExponent) {
    place += exponentValue;
  }
  std::uint64_t scaled = digits;
  for (int k = 0; k < shift && scaled <= static_cast<std::uint64_t>(kMaxUnits);
       ++k) {
    scaled *= 10;
  }
  scaled = std::min(scaled, static_cast<std::uint64_t>(kMaxUnits));
  units = negative ? -static_cast<std::int64_t>(scaled)
                   : static_cast<std::int64_t>(scaled);
  trailing = length - i;
  return true;
}

// The general reading of scanUnits, through a double, for every text
// (`length` at most kWordCapacity).
std::int64_t scanAnyUnits(const char* text, std::size_t length,
                          std::size_t& trailing) {
  // The number part as the converter takes it: commas removed, a '0' put
  // before a point or exponent letter that no digit precedes, and the
  // exponent letter as 'E'. Two zeros at most are put in.
  char number[kWordCapacity + 2];
  std::size_t n = 0;
  bool signSeen = false;
  bool digitSeen = false;
  bool pointSeen = false;
  bool exponentSeen = false;
  bool negativeExponent = false;
  std::size_t i = 0;
  for (; i < length; ++i) {
    char c = text[i];
    if (isDigit(c)) {
      digitSeen = true;
    } else if (c == '+' || c == '-') {
      if (signSeen || digitSeen || pointSeen) {
        break;
      }
      signSeen = true;
      negativeExponent = exponentSeen && c == '-';
    } else if (c == ',') {
      continue;
    } else if (c == '.') {
      if (pointSeen || exponentSeen) {
        break;
      }
      if (!digitSeen) {
        number[n++] = '0';
      }
      pointSeen = true;
    } else if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      if (exponentSeen) {
        break;
      }
      if (!digitSeen) {
        number[n++] = '0';
      }
      c = 'E';
      signSeen = false;
      digitSeen = false;
      pointSeen = false;
      exponentSeen = true;
    } else {
      break;
    }
    number[n++] = c;
  }

  double value = 0.0;
  if (!digitSeen || !convertNumber(number, n, negativeExponent, value)) {
    trailing = length;
    return 0;
  }
  trailing = length - i;
  return roundToUnits(value);
}

}  // namespace

std::int64_t roundToUnits(double v) {
  // Every step is exact: the scaled magnitude is compared with a whole
  // number that a double holds exactly and then cut to a whole number.
  const double scaled = std::fabs(v) * 10000.0 + 0.5;
  const std::int64_t units =
      scaled > static_cast<double>(kMaxUnits)
          ? kMaxUnits
          : static_cast<std::int64_t>(std::floor(scaled));
  return v < 0 ? -units : units;
}

std::int64_t scanUnits(const char* text, std::size_t length,
                       std::size_t& trailing) {
  length = std::min(length, kWordCapacity);
  std::int64_t units = 0;
  int place = 0;
  if (scanPlainUnits(text, length, units, trailing, place)) {
    return units;
  }
  return scanAnyUnits(text, length, trailing);
}

ScannedNumber scanNumber(const char* text, std::size_t length) {
  ScannedNumber n;
  int place = 0;
  if (length <= kWordCapacity &&
      scanPlainUnits(text, length, n.units, n.trailing, place)) {
    n.place = place;
    return n;
  }
  n.units = scanAnyUnits(text, std::min(length, kWordCapacity), n.trailing);
  n.place = lastDigitPlace(text, length - n.trailing);
  return n;
}

int lastDigitPlace(const char* text, std::size_t length) {
  std::string_view s(text, length);
  std::size_t point = s.find('.');
  std::size_t exponent = s.find('E');
  if (exponent == std::string_view::npos) {
    exponent = s.find('e');
  }
  bool hasPoint = point != std::string_view::npos;
  if (exponent == std::string_view::npos) {
    return hasPoint ? -static_cast<int>(length - point - 1) : 0;
  }
  std::int64_t decimals = hasPoint ? static_cast<std::int64_t>(exponent) -
                                         static_cast<std::int64_t>(point) - 1
                                   : 0;
  std::size_t start = exponent + 1;
  if (start < length && s[start] == '+') {
    ++start;
  }
  std::int64_t power = 0;
  std::int64_t p = readExponent(text + start, length - start, power)
                       ? power - decimals
                       : -decimals;
  return static_cast<int>(std::clamp<std::int64_t>(p, INT32_MIN, INT32_MAX));
}
