#include "design/number_text.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>
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

// The decimal numbers data files hold ("-0.250000", "12", "3.5"): digits with an optional
// point and no exponent, at most 19 significant digits making a mantissa of at most 2^53 and
// at most 22 decimals. Such a number is mantissa / 10^decimals, both exactly representable in
// double precision, so one division gives the correctly rounded double: the value a
// string-to-double conversion gives. Anything else is left to the general conversion.
struct PlainDecimal {
  bool read = false;
  double magnitude = 0.0;
  const char* end = nullptr;
};

PlainDecimal plainDecimal(const char* first, const char* last) {
  constexpr int kMaxSignificantDigits = 19;
  constexpr std::uint64_t kMaxExactMantissa = std::uint64_t{1} << 53;
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                            1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                            1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  PlainDecimal number;
  std::uint64_t mantissa = 0;
  int significantDigits = 0;
  int digits = 0;
  int decimals = 0;
  const char* p = first;
  for (; p != last && isDigit(*p); ++p, ++digits) {
    mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    if (mantissa != 0 && ++significantDigits > kMaxSignificantDigits) return number;
  }
  if (p != last && *p == '.') {
    for (++p; p != last && isDigit(*p); ++p, ++digits, ++decimals) {
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
      if (mantissa != 0 && ++significantDigits > kMaxSignificantDigits) return number;
    }
  }
  if (digits == 0 || decimals > 22 || mantissa > kMaxExactMantissa) return number;
  if (p != last && (*p == 'e' || *p == 'E')) return number;
  number.read = true;
  number.magnitude = static_cast<double>(mantissa) / kPowersOfTen[decimals];
  number.end = p;
  return number;
}

}  // namespace

ScannedNumber scanDouble(const char* first, const char* last) {
  ScannedNumber number;
  number.end = first;
  {
    const char* p = first;
    const bool negative = p != last && *p == '-';
    if (p != last && isSign(*p)) ++p;
    const auto plain = plainDecimal(p, last);
    if (plain.read) {
      number.status = NumberScan::ok;
      number.value = negative ? -plain.magnitude : plain.magnitude;
      number.end = plain.end;
      return number;
    }
  }
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

bool beyondFloat(double value) {
  return std::isfinite(value) && std::isinf(static_cast<float>(value));
}

namespace {

// Fixed notation of a float below 2^32 in magnitude with at most 9 decimals, from integers:
// |value| = m * 2^e exactly, so |value| * 10^decimals = m * 10^decimals * 2^e is rounded to the
// nearest integer, ties to even, as printf does with the exact binary value; m * 10^decimals is
// below 2^54. Returns null for other values, having written nothing.
char* writeSmallFixed(char* out, float value, int decimals) {
  constexpr std::uint64_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                            100000, 1000000, 10000000, 100000000, 1000000000};
  if (decimals < 0 || decimals > 9) return nullptr;
  const auto bits = std::bit_cast<std::uint32_t>(value);
  const bool negative = (bits >> 31) != 0;
  const auto biasedExponent = static_cast<int>((bits >> 23) & 0xFF);
  const std::uint32_t fraction = bits & 0x7FFFFF;
  if (biasedExponent >= 127 + 32) return nullptr;  // 2^32 and above, infinities and NaN
  // |value| = mantissa * 2^exponent; subnormals have no implicit bit and the smallest exponent.
  const std::uint64_t mantissa =
      biasedExponent == 0 ? fraction : (fraction | (std::uint64_t{1} << 23));
  const int exponent = (biasedExponent == 0 ? 1 : biasedExponent) - 127 - 23;
  const std::uint64_t scale = kPowersOfTen[decimals];
  std::uint64_t scaled = 0;
  if (exponent >= 0) {
    scaled = (mantissa << exponent) * scale;  // below 2^32 * 10^9 < 2^62
  } else {
    const std::uint64_t product = mantissa * scale;  // below 2^54
    const int shift = -exponent;
    if (shift < 64) {  // else below half of 1: product < 2^54 <= 2^(shift - 1)
      scaled = product >> shift;
      const std::uint64_t remainder = product & ((std::uint64_t{1} << shift) - 1);
      const std::uint64_t half = std::uint64_t{1} << (shift - 1);
      if (remainder > half || (remainder == half && (scaled & 1) != 0)) ++scaled;
    }
  }
  // Digits from the last one back, into a buffer, then copied in order.
  char digits[32];
  char* const end = digits + sizeof digits;
  char* p = end;
  std::uint64_t decimalDigits = scaled % scale;
  for (int d = 0; d < decimals; ++d) {
    *--p = static_cast<char>('0' + decimalDigits % 10);
    decimalDigits /= 10;
  }
  if (decimals > 0) *--p = '.';
  std::uint64_t integer = scaled / scale;
  do {
    *--p = static_cast<char>('0' + integer % 10);
    integer /= 10;
  } while (integer != 0);
  if (negative) *out++ = '-';
  return std::copy(p, end, out);
}

char* copyText(char* out, std::string_view text) {
  return std::copy(text.begin(), text.end(), out);
}

}  // namespace

char* writeFixed(char* out, float value, int decimals) {
  if (char* end = writeSmallFixed(out, value, decimals)) return end;
  if (std::isnan(value)) return copyText(out, std::signbit(value) ? "-nan" : "nan");
  if (std::isinf(value)) return copyText(out, value < 0 ? "-inf" : "inf");
  return std::to_chars(out, out + maxFixedLength(decimals), static_cast<double>(value),
                       std::chars_format::fixed, decimals)
      .ptr;
}

void appendFixed(std::string& out, float value, int decimals) {
  char buffer[maxFixedLength(20)];
  out.append(buffer, writeFixed(buffer, value, decimals));
}

}  // namespace duv
