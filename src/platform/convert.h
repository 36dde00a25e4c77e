// The toolkit's number conversions. Window coordinates are single-precision
// values; conversions into integers round to the nearest value, halves to
// the even neighbour, and raise Overflow outside the target's range.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace dv {

using Single = float;

// Rounds half to even; Overflow for NaN or outside the 16-bit range.
std::int16_t CInt(double value);
// Rounds half to even; Overflow for NaN or outside the 32-bit range.
std::int32_t CLng(double value);

// Integer division truncating toward zero: DivisionByZero for a zero divisor,
// Overflow when the quotient leaves the 32-bit range.
std::int32_t IntDiv(std::int64_t dividend, std::int64_t divisor);
// Floating-point division: DivisionByZero for a zero divisor (Overflow for
// 0 / 0), Overflow for a result outside the range of a double.
double FDiv(double dividend, double divisor);
// Exact product of two 32-bit integers; Overflow outside the 32-bit range.
std::int32_t MulLong(std::int32_t a, std::int32_t b);

// Number to text: decimal, full stop as the decimal point, one blank before a
// non-negative number and a minus sign before a negative one (" 1234", "-15",
// " 1.5").
std::string Str(Single value);
// Integer to text: no blank before non-negative numbers ("12", "-3").
std::string IntText(std::int64_t value);

// The leading-number parse. Blanks, tabs and line feeds are ignored wherever
// they stand; then an optional sign, digits with at most one decimal point and
// an optional exponent (E or D), or "&H" / "&O" followed by a hexadecimal or
// octal integer. Reading stops at the first character that does not fit; text
// without a leading number reads as 0. A value too large for a double (or a
// hexadecimal/octal integer beyond 32 bits) raises Overflow.
double Val(std::string_view text);

}  // namespace dv
