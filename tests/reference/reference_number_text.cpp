#include "tests/reference/reference_number_text.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace duv::reference {

ScannedNumber scanDouble(const std::string& text) {
  std::string decimal = text;
  const std::size_t digits = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  if (text.size() > digits + 1 && text[digits] == '0' &&
      (text[digits + 1] == 'x' || text[digits + 1] == 'X')) {
    decimal.resize(digits + 1);
  }
  ScannedNumber number;
  number.end = text.data();
  if (decimal.empty() || std::isspace(static_cast<unsigned char>(decimal[0])) != 0) {
    return number;
  }
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(decimal.c_str(), &end);
  const auto length = end - decimal.c_str();
  if (length == 0) return number;
  number.end = text.data() + length;
  if (errno == ERANGE && (std::isinf(value) || value == 0.0)) {
    number.status = NumberScan::outOfRange;
    return number;
  }
  number.status = NumberScan::ok;
  number.value = value;
  return number;
}

std::string fixed(float value, int decimals) {
  // The widest float in fixed notation: 39 integer digits, sign, point and the decimals.
  char text[128];
  const int length = std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof text) {
    throw std::length_error("fixed notation longer than its buffer");
  }
  return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace duv::reference
