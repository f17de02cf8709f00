#include "check/cell_text.h"

#include <charconv>
#include <cmath>
#include <ostream>
#include <system_error>

namespace duv {
namespace {

std::string nonFinite(double value) {
  if (std::isnan(value)) return "nan";
  return value > 0 ? "inf" : "-inf";
}

std::string formatted(double value, std::chars_format format, int precision) {
  if (!std::isfinite(value)) return nonFinite(value);
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
  if (result.ec == std::errc()) return std::string(buffer, result.ptr);
  // Only fixed notation of a very large value takes more: a sign, the 309 digits of the
  // largest double, the point and the decimals.
  std::string text(311 + static_cast<std::size_t>(precision), '\0');
  const auto whole =
      std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
  text.resize(static_cast<std::size_t>(whole.ptr - text.data()));
  return text;
}

}  // namespace

std::string fixedDecimals(double value, int decimals) {
  return formatted(value, std::chars_format::fixed, decimals);
}

std::string significantDigits(double value) {
  return formatted(value, std::chars_format::general, 6);
}

std::string shortestDigits(double value) {
  if (!std::isfinite(value)) return nonFinite(value);
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string tsvCell(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

void writeTsvRow(const std::vector<std::string>& cells, std::ostream& out) {
  for (std::size_t i = 0; i < cells.size(); ++i) out << (i == 0 ? "" : "\t") << tsvCell(cells[i]);
  out << '\n';
}

}  // namespace duv
