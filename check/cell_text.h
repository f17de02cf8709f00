#pragma once

// How numbers and texts go into the tool's tables and pages: one number formatter for people
// and scripts, and one writer of tab-separated rows. Numbers never depend on the locale.

#include <iosfwd>
#include <string>
#include <vector>

namespace duv {

// `value` with `decimals` digits after the point, for people: "0.42", "12.0"; "inf", "-inf",
// "nan" for the values that are not finite.
std::string fixedDecimals(double value, int decimals);

// `value` with six significant digits, for scripts: "12.3457", "1e-09", "0"; "inf", "-inf",
// "nan" for the values that are not finite.
std::string significantDigits(double value);

// The shortest text that reads back as the same `value`, for values a user wrote: "0.2", "1",
// "1e-09"; "inf", "-inf", "nan" for the values that are not finite.
std::string shortestDigits(double value);

// `text` as one TSV cell: tabs and line breaks, which would break the table's columns and
// lines, become blanks.
std::string tsvCell(std::string text);

// One line of a TSV table: the cells separated by tabs, ended by "\n". Stream failures are
// left in the stream's state.
void writeTsvRow(const std::vector<std::string>& cells, std::ostream& out);

}  // namespace duv
