// Fuzz target: the leading-number parse and the conversions that follow it
// when a stored text is read and a number is written back.
//   - Val raises nothing but Overflow and returns a finite number;
//   - CInt and CLng round to the nearest integer, halves to even, and raise
//     Overflow exactly when the result leaves their range;
//   - Str's text reads back to the same single-precision number.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "platform/convert.h"
#include "platform/errors.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

template <class Int, class Convert>
void CheckRounding(double value, Convert convert) {
  const double low = std::numeric_limits<Int>::min();
  const double high = std::numeric_limits<Int>::max();
  try {
    const Int rounded = convert(value);
    const double diff = std::fabs(static_cast<double>(rounded) - value);
    Check(diff <= 0.5);
    if (diff == 0.5) Check(rounded % 2 == 0);
  } catch (const dv::ToolkitError& error) {
    Check(error.kind() == dv::ErrorKind::Overflow);
    Check(!(value >= low && value <= high));
  }
}

void CheckReadsBack(dv::Single value) {
  const std::string text = dv::Str(value);
  Check(text[0] == ' ' || text[0] == '-');
  Check(static_cast<dv::Single>(dv::Val(text)) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  double value = 0;
  try {
    value = dv::Val(text);
  } catch (const dv::ToolkitError& error) {
    Check(error.kind() == dv::ErrorKind::Overflow);
    return 0;
  }
  Check(std::isfinite(value));
  CheckRounding<std::int16_t>(value, [](double v) { return dv::CInt(v); });
  CheckRounding<std::int32_t>(value, [](double v) { return dv::CLng(v); });
  if (std::fabs(value) <= std::numeric_limits<dv::Single>::max()) {
    CheckReadsBack(static_cast<dv::Single>(value));
  }
  try {
    CheckReadsBack(static_cast<dv::Single>(dv::CLng(value)));
  } catch (const dv::ToolkitError&) {  // NOLINT(bugprone-empty-catch): checked above
  }
  return 0;
}
