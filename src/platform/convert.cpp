#include "platform/convert.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "platform/errors.h"

namespace dv {

namespace {

double RoundHalfEven(double value) {
  if (std::isnan(value)) Raise(ErrorKind::Overflow);
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff > 0.5) return floor + 1.0;
  if (diff < 0.5) return floor;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

template <class Int>
Int RoundInto(double value) {
  const double rounded = RoundHalfEven(value);
  if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
    Raise(ErrorKind::Overflow);
  }
  return static_cast<Int>(rounded);
}

std::int32_t Narrow(std::int64_t value) {
  if (value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    Raise(ErrorKind::Overflow);
  }
  return static_cast<std::int32_t>(value);
}

bool IsDigit(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0' < base;
  if (base == 16) return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  return false;
}

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

double ParseRadix(std::string_view digits, int base) {
  std::uint64_t value = 0;
  for (const char c : digits) {
    if (!IsDigit(c, base)) break;
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(DigitValue(c));
    if (value > std::numeric_limits<std::uint32_t>::max()) Raise(ErrorKind::Overflow);
  }
  return static_cast<double>(value);
}

// The decimal order of magnitude of [sign] digits [. digits] [E [sign] digits]:
// the power of ten of its first non-zero digit. The exponent saturates, so
// that any length of text gives a usable answer.
std::int64_t OrderOfMagnitude(std::string_view number) {
  constexpr std::int64_t kSaturated = 1'000'000'000;
  bool found = false;
  bool point = false;
  std::int64_t order = -kSaturated;  // zero: no non-zero digit at all
  std::int64_t fraction_digits = 0;
  std::size_t i = 0;
  if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
  for (; i < number.size() && number[i] != 'e'; ++i) {
    if (number[i] == '.') {
      point = true;
      continue;
    }
    if (point) ++fraction_digits;
    if (!found && number[i] != '0') {
      found = true;
      order = point ? -fraction_digits : 0;
    } else if (found && !point) {
      order = std::min(order + 1, kSaturated);
    }
  }
  std::int64_t exponent = 0;
  if (i < number.size()) {
    ++i;
    const bool negative = i < number.size() && number[i] == '-';
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
    for (; i < number.size(); ++i) {
      exponent = std::min(exponent * 10 + (number[i] - '0'), kSaturated);
    }
    if (negative) exponent = -exponent;
  }
  return order + exponent;
}

double ParseDecimal(std::string_view s) {
  // Collect the longest prefix of the form [sign] digits [. digits] [E [sign] digits].
  std::string number;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
  bool mantissa_digits = false;
  bool point = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i], 10)) {
      number += s[i];
      mantissa_digits = true;
    } else if (s[i] == '.' && !point) {
      number += '.';
      point = true;
    } else {
      break;
    }
  }
  if (!mantissa_digits) return 0.0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
    const std::size_t first_digit = j;
    while (j < s.size() && IsDigit(s[j], 10)) exponent += s[j++];
    if (j > first_digit) number += exponent;
  }
  const char* begin = number.data();
  if (*begin == '+') ++begin;
  double value = 0.0;
  const auto result = std::from_chars(begin, number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too small or too large for a double: the magnitude decides, not the
    // exponent's sign ("0.000...1" is tiny, "1000...0e-1" is huge).
    if (OrderOfMagnitude(number) < 0) return number[0] == '-' ? -0.0 : 0.0;
    Raise(ErrorKind::Overflow);
  }
  if (!std::isfinite(value)) Raise(ErrorKind::Overflow);
  return value;
}

}  // namespace

std::int16_t CInt(double value) { return RoundInto<std::int16_t>(value); }

std::int32_t CLng(double value) { return RoundInto<std::int32_t>(value); }

std::int32_t IntDiv(std::int64_t dividend, std::int64_t divisor) {
  if (divisor == 0) Raise(ErrorKind::DivisionByZero);
  return Narrow(dividend / divisor);  // C++ division truncates toward zero
}

double FDiv(double dividend, double divisor) {
  if (divisor == 0.0) Raise(dividend == 0.0 ? ErrorKind::Overflow : ErrorKind::DivisionByZero);
  const double quotient = dividend / divisor;
  if (!std::isfinite(quotient)) Raise(ErrorKind::Overflow);
  return quotient;
}

std::int32_t MulLong(std::int32_t a, std::int32_t b) {
  return Narrow(static_cast<std::int64_t>(a) * static_cast<std::int64_t>(b));
}

std::string Str(Single value) {
  if (value == 0.0F) return " 0";
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  std::string text(buffer.data(), result.ptr);
  return value < 0.0F ? text : " " + text;
}

std::string IntText(std::int64_t value) { return std::to_string(value); }

double Val(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (const char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') s += c;
  }
  if (s.size() >= 2 && s[0] == '&') {
    if (s[1] == 'H' || s[1] == 'h') return ParseRadix(std::string_view(s).substr(2), 16);
    if (s[1] == 'O' || s[1] == 'o') return ParseRadix(std::string_view(s).substr(2), 8);
    return 0.0;
  }
  return ParseDecimal(s);
}

}  // namespace dv
