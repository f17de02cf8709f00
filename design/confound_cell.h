#pragma once

// One cell of a confound table or motion text file.

#include <string>
#include <string_view>

namespace duv {

enum class CellKind { number, notAvailable, notANumber, outOfRange };

struct Cell {
  CellKind kind = CellKind::notANumber;
  float value = 0.0F;  // for a number only
  double exact = 0.0;  // the number as written, before narrowing to float
};

// Reads `text` whole as SDM values are read: a decimal number (optional sign, digits with an
// optional point and exponent) converted to double, then narrowed to float. "n/a" is
// notAvailable. Anything else, "nan" and "inf" included, is notANumber; a number beyond the
// float range (narrowing would make it infinite; beyondFloat), beyond the double range, or
// non-zero text that becomes zero in double precision is outOfRange.
Cell readCell(std::string_view text);

// Throws the error for a cell that is not a number; `context` names the place
// ("<path>, line <n>, column <name>"):
//   notAvailable: std::runtime_error "<context>: n/a"
//   notANumber:   std::invalid_argument "invalid stof argument: <context>: \"<text>\" is not a
//                 number"
//   outOfRange:   std::out_of_range "stof argument out of range: <context>: <text>"
[[noreturn]] void throwCellError(CellKind kind, std::string_view text, const std::string& context);

}  // namespace duv
