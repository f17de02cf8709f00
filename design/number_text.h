#pragma once

// Number conversions of the text formats, exact and locale-independent.
//
// Reading follows string-to-double: optional sign, then decimal digits with an optional point
// and exponent, or "inf", "infinity", "nan", "nan(...)" in any case. Hexadecimal numbers are not
// read. Writing widens a float to double and rounds it to a fixed number of decimals, as the
// standard streams do in fixed notation.

#include <cstddef>
#include <string>

namespace duv {

enum class NumberScan { ok, noNumber, outOfRange };

struct ScannedNumber {
  NumberScan status = NumberScan::noNumber;
  double value = 0.0;
  const char* end = nullptr;  // one past the number's last character; `first` when none
};

// Reads the longest number starting exactly at `first` (no white space is skipped). Out of
// range means beyond the double range, or non-zero text that becomes zero in double precision;
// its `end` still covers the number's text.
ScannedNumber scanDouble(const char* first, const char* last);

// As scanDouble, but rounding once, directly to float, as a float stream extraction does:
// out of range only when the value overflows float.
struct ScannedFloat {
  NumberScan status = NumberScan::noNumber;
  float value = 0.0F;
  const char* end = nullptr;
};
ScannedFloat scanFloat(const char* first, const char* last);

// Whether narrowing `value` to float gives an infinity that `value` was not: a finite double
// beyond the float range once rounded. The readers that scan in double precision and narrow
// refuse such values, as scanFloat's outOfRange does.
bool beyondFloat(double value);

// Appends `value` widened to double in fixed notation with `decimals` digits after the point
// ("-0.250000" for -0.25 and 6), rounded as printf's "%.*f" rounds the exact value (to the
// nearest, ties to even). Non-finite values are written "nan", "-nan", "inf", "-inf" (the sign
// taken from the sign bit), on every platform. 0 <= decimals <= 20.
void appendFixed(std::string& out, float value, int decimals);

// The longest text appendFixed writes: a sign, the 39 integer digits of the largest float, the
// point and the decimals.
constexpr std::size_t maxFixedLength(int decimals) {
  return 41 + static_cast<std::size_t>(decimals);
}

// As appendFixed, into `out`, which has room for maxFixedLength(decimals) characters; returns
// the end of what it wrote.
char* writeFixed(char* out, float value, int decimals);

}  // namespace duv
