#include "design/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace duv {
namespace {

bool isSign(char c) { return c == '+' || c == '-'; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the decimal number spelled by [first, last) (digits, optional point, optional
// exponent; no sign) is at least 1 in magnitude. Used only to tell overflow from underflow
// after a range error, without a locale-dependent conversion.
bool magnitudeAtLeastOne(const char* first, const char* last) {
  bool seenPoint = false;
  bool seenNonZero = false;
  long digitsBeforePoint = 0;
  long zerosAfterPoint = 0;
  const char* p = first;
  for (; p != last && (isDigit(*p) || *p == '.'); ++p) {
    if (*p == '.') {
      seenPoint = true;
    } else if (!seenPoint) {
      if (seenNonZero || *p != '0') {
        seenNonZero = true;
        ++digitsBeforePoint;
      }
    } else if (!seenNonZero) {
      if (*p == '0') {
        ++zerosAfterPoint;
      } else {
        seenNonZero = true;
      }
    }
  }
  if (!seenNonZero) return false;
  // Decimal order of the first non-zero digit, relative to the point.
  const long order = digitsBeforePoint > 0 ? digitsBeforePoint - 1 : -(zerosAfterPoint + 1);
  long exponent = 0;
  if (p != last && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (p != last && isSign(*p)) negative = *p++ == '-';
    for (; p != last && isDigit(*p); ++p) {
      if (exponent < 100000000) exponent = exponent * 10 + (*p - '0');
    }
    if (negative) exponent = -exponent;
  }
  return order + exponent >= 0;
}

// std::from_chars reads neither a leading '+' nor white space; string-to-double reads the '+'.
// The sign is therefore taken here and the magnitude converted on its own, which also keeps the
// sign bit of "-nan" and "-0".
template <typename T>
struct SignedScan {
  std::from_chars_result result{};
  T magnitude{};
  bool negative = false;
  const char* digits = nullptr;
};

template <typename T>
SignedScan<T> scanSigned(const char* first, const char* last) {
  SignedScan<T> scan;
  const char* p = first;
  if (p != last && isSign(*p)) {
    scan.negative = *p == '-';
    ++p;
  }
  scan.digits = p;
  if (p == last || isSign(*p)) {
    scan.result = {first, std::errc::invalid_argument};
    return scan;
  }
  scan.result = std::from_chars(p, last, scan.magnitude, std::chars_format::general);
  return scan;
}

}  // namespace

ScannedNumber scanDouble(const char* first, const char* last) {
  ScannedNumber number;
  number.end = first;
  const auto scan = scanSigned<double>(first, last);
  if (scan.result.ec == std::errc::invalid_argument) return number;
  number.end = scan.result.ptr;
  if (scan.result.ec == std::errc::result_out_of_range) {
    number.status = NumberScan::outOfRange;
    return number;
  }
  number.status = NumberScan::ok;
  number.value = scan.negative ? -scan.magnitude : scan.magnitude;
  return number;
}

ScannedFloat scanFloat(const char* first, const char* last) {
  ScannedFloat number;
  number.end = first;
  const auto scan = scanSigned<float>(first, last);
  if (scan.result.ec == std::errc::invalid_argument) return number;
  number.end = scan.result.ptr;
  if (scan.result.ec == std::errc::result_out_of_range) {
    // A float stream extraction fails on overflow only; a value too small for float becomes a
    // zero of its sign.
    if (magnitudeAtLeastOne(scan.digits, scan.result.ptr)) {
      number.status = NumberScan::outOfRange;
      return number;
    }
    number.status = NumberScan::ok;
    number.value = scan.negative ? -0.0F : 0.0F;
    return number;
  }
  number.status = NumberScan::ok;
  number.value = scan.negative ? -scan.magnitude : scan.magnitude;
  return number;
}

void appendFixed(std::string& out, float value, int decimals) {
  if (std::isnan(value)) {
    out += std::signbit(value) ? "-nan" : "nan";
    return;
  }
  if (std::isinf(value)) {
    out += value < 0 ? "-inf" : "inf";
    return;
  }
  // The widest fixed text of a float: 39 integer digits, sign, point and the decimals.
  char buffer[64 + std::numeric_limits<double>::max_digits10];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                    std::chars_format::fixed, decimals);
  out.append(buffer, result.ptr);
}

}  // namespace duv
