#include "platform/convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/errors.h"

namespace dv {
namespace {

ErrorKind KindOf(void (*f)()) {
  try {
    f();
  } catch (const ToolkitError& e) {
    return e.kind();
  }
  ADD_FAILURE() << "no error raised";
  return ErrorKind::InvalidProcedureCall;
}

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(CInt(0.5), 0);
  EXPECT_EQ(CInt(1.5), 2);
  EXPECT_EQ(CInt(2.5), 2);
  EXPECT_EQ(CInt(-0.5), 0);
  EXPECT_EQ(CInt(-1.5), -2);
  EXPECT_EQ(CInt(-2.5), -2);
  EXPECT_EQ(CLng(120.5), 120);
  EXPECT_EQ(CLng(121.5), 122);
  EXPECT_EQ(CLng(2.4999999), 2);
  EXPECT_EQ(CLng(2.5000001), 3);
  EXPECT_EQ(CLng(-7.6), -8);
}

TEST(Rounding, RangeEdgesOverflowExactlyOutsideTheTarget) {
  EXPECT_EQ(CInt(32767), 32767);
  EXPECT_EQ(CInt(32767.49), 32767);
  EXPECT_EQ(CInt(-32768), -32768);
  EXPECT_EQ(CInt(-32768.5), -32768);  // rounds to even, inside
  EXPECT_EQ(KindOf([] { CInt(32767.5); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CInt(-32768.51); }), ErrorKind::Overflow);
  EXPECT_EQ(CLng(2147483647.0), 2147483647);
  EXPECT_EQ(CLng(-2147483648.0), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(CLng(-2147483648.5), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(KindOf([] { CLng(2147483647.5); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CLng(99999999999.0); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CLng(std::nan("")); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { CLng(std::numeric_limits<double>::infinity()); }), ErrorKind::Overflow);
}

TEST(IntegerArithmetic, DivisionTruncatesTowardZeroAndFailsLikeTheToolkit) {
  EXPECT_EQ(IntDiv(47900, 480), 99);
  EXPECT_EQ(IntDiv(-7, 2), -3);
  EXPECT_EQ(IntDiv(7, -2), -3);
  EXPECT_EQ(KindOf([] { IntDiv(1, 0); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(KindOf([] { IntDiv(std::numeric_limits<std::int32_t>::min(), -1); }),
            ErrorKind::Overflow);
  EXPECT_EQ(MulLong(46340, 46340), 2147395600);
  EXPECT_EQ(KindOf([] { MulLong(65536, 32768); }), ErrorKind::Overflow);
  EXPECT_DOUBLE_EQ(FDiv(1024, 3), 1024.0 / 3);
  EXPECT_EQ(KindOf([] { FDiv(7725, 0); }), ErrorKind::DivisionByZero);
  EXPECT_EQ(KindOf([] { FDiv(0, 0); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { FDiv(1e308, 1e-10); }), ErrorKind::Overflow);
}

TEST(NumberText, SignPositionIsAlwaysFilled) {
  EXPECT_EQ(Str(1234), " 1234");
  EXPECT_EQ(Str(0), " 0");
  EXPECT_EQ(Str(-0.0F), " 0");
  EXPECT_EQ(Str(-15), "-15");
  EXPECT_EQ(Str(1.5F), " 1.5");
  EXPECT_EQ(Str(2), " 2");
  EXPECT_EQ(IntText(12), "12");
  EXPECT_EQ(IntText(-3), "-3");
  EXPECT_EQ(IntText(0), "0");
  // Both forms read back to the same number.
  for (const float value : {0.0F, 1234.0F, -15.0F, 1.5F, 0.1F, 72000.0F, -99999.5F, 3e20F}) {
    EXPECT_EQ(static_cast<float>(Val(Str(value))), value) << Str(value);
  }
}

TEST(LeadingNumber, ReadsThePrefixThatFits) {
  EXPECT_EQ(Val(" 1234"), 1234);
  EXPECT_EQ(Val("1 2 3"), 123);
  EXPECT_EQ(Val("  -7.5e1x"), -75);
  EXPECT_EQ(Val("\t\n- 4 2"), -42);
  EXPECT_EQ(Val("+8"), 8);
  EXPECT_EQ(Val("1.5.5"), 1.5);
  EXPECT_EQ(Val(".5"), 0.5);
  EXPECT_EQ(Val("  1.5e3"), 1500);
  EXPECT_EQ(Val("2D2"), 200);
  EXPECT_EQ(Val("1e"), 1);
  EXPECT_EQ(Val("1e+"), 1);
  EXPECT_EQ(Val("150abc"), 150);
  EXPECT_EQ(Val(" . 5"), 0.5);
  EXPECT_EQ(Val("12\r34"), 12);  // a carriage return is not skipped
  EXPECT_EQ(Val("1e-400"), 0);
}

TEST(LeadingNumber, TextWithoutANumberReadsAsZero) {
  for (const char* text : {"", ".", "-", "+", "abc", "e5", "&", "&H", "&Z1"}) {
    EXPECT_EQ(Val(text), 0) << '"' << text << '"';
  }
}

TEST(LeadingNumber, HexAndOctalIntegers) {
  EXPECT_EQ(Val("&HFFFF"), 65535);
  EXPECT_EQ(Val("&hff"), 255);
  EXPECT_EQ(Val("&H1G"), 1);
  EXPECT_EQ(Val("&O17"), 15);
  EXPECT_EQ(Val("&o8"), 0);
  EXPECT_EQ(Val("&HFFFFFFFF"), 4294967295.0);
  EXPECT_EQ(KindOf([] { Val("&H100000000"); }), ErrorKind::Overflow);
}

TEST(LeadingNumber, TheMagnitudeDecidesBetweenOverflowAndZero) {
  EXPECT_EQ(KindOf([] { Val("1e400"); }), ErrorKind::Overflow);
  EXPECT_EQ(KindOf([] { Val("-9e999"); }), ErrorKind::Overflow);
  EXPECT_EQ(Val("1e308"), 1e308);
  EXPECT_EQ(KindOf([] { CLng(Val("99999999999")); }), ErrorKind::Overflow);
  // Tiny values read as zero, whatever the exponent's sign; huge ones
  // overflow, also with a negative exponent.
  const std::string zeros(400, '0');
  EXPECT_EQ(Val("0." + zeros + "1"), 0);
  EXPECT_EQ(Val("-0." + zeros + "1e+5"), 0);
  EXPECT_EQ(Val("0." + zeros + "1e400"), 1e-1);
  const std::string huge = "1" + zeros + "e-1";  // 1e399
  EXPECT_EQ(KindOf([] { Val("1" + std::string(400, '0') + "e-1"); }), ErrorKind::Overflow);
  EXPECT_EQ(Val(huge + "00"), 1e300);  // 1e400 * 1e-100
  EXPECT_EQ(KindOf([] { Val("1e99999999999999999999999"); }), ErrorKind::Overflow);
  EXPECT_EQ(Val("1e-99999999999999999999999"), 0);
}

TEST(Errors, CarryTheirCustomaryNumbersAndTexts) {
  const ToolkitError error(ErrorKind::Overflow);
  EXPECT_EQ(error.number(), 6);
  EXPECT_STREQ(error.what(), "Overflow");
  EXPECT_EQ(ToolkitError(ErrorKind::DivisionByZero).number(), 11);
  EXPECT_EQ(ToolkitError(ErrorKind::SubscriptOutOfRange).number(), 9);
  EXPECT_EQ(ToolkitError(ErrorKind::ObjectNotSet).number(), 91);
  EXPECT_EQ(ToolkitError(ErrorKind::InvalidPropertyValue).number(), 380);
  EXPECT_EQ(ToolkitError(ErrorKind::MemberNotSupported).number(), 438);
  EXPECT_EQ(ToolkitError(ErrorKind::InvalidProcedureCall).number(), 5);
  EXPECT_STREQ(ToolkitError(ErrorKind::PermissionDenied, "read-only").what(),
               "Permission denied (read-only)");
  // A detail that only repeats the description is not said twice.
  const ToolkitError repeated(ErrorKind::PermissionDenied, "permission denied");
  EXPECT_STREQ(repeated.what(), "Permission denied");
  EXPECT_EQ(ErrorReason(repeated), "permission denied");
  EXPECT_EQ(ErrorReason(ToolkitError(ErrorKind::PathNotFound)), "Path not found");
}

}  // namespace
}  // namespace dv
