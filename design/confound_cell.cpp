#include "design/confound_cell.h"

#include <stdexcept>

#include "design/confound_table_format.h"
#include "design/number_text.h"
#include "design/text_cursor.h"

namespace duv {
namespace {

// string-to-double also reads "nan" and "inf"; a confound is never one of those, and a NaN
// must not pass for a value.
bool beginsDecimal(std::string_view text) {
  std::size_t p = 0;
  if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
  return p < text.size() && (isDigit(text[p]) || text[p] == '.');
}

std::string shortened(std::string_view text) {
  constexpr std::size_t kShown = 40;
  return text.size() <= kShown ? std::string(text) : std::string(text.substr(0, kShown)) + "...";
}

}  // namespace

Cell readCell(std::string_view text) {
  if (text == tsv::kNotAvailable) return {CellKind::notAvailable};
  if (!beginsDecimal(text)) return {CellKind::notANumber};
  const char* const end = text.data() + text.size();
  const auto number = scanDouble(text.data(), end);
  if (number.status == NumberScan::noNumber || number.end != end) return {CellKind::notANumber};
  if (number.status == NumberScan::outOfRange || beyondFloat(number.value)) {
    return {CellKind::outOfRange};
  }
  return {CellKind::number, static_cast<float>(number.value), number.value};
}

void throwCellError(CellKind kind, std::string_view text, const std::string& context) {
  switch (kind) {
    case CellKind::notAvailable:
      throw std::runtime_error(context + ": " + std::string(tsv::kNotAvailable));
    case CellKind::outOfRange:
      throw std::out_of_range("stof argument out of range: " + context + ": " + shortened(text));
    case CellKind::number:
    case CellKind::notANumber:
      break;
  }
  throw std::invalid_argument("invalid stof argument: " + context + ": \"" + shortened(text) +
                              "\" is not a number");
}

}  // namespace duv
