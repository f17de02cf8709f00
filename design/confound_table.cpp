#include "design/confound_table.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>

#include "design/confound_cell.h"
#include "design/confound_table_format.h"
#include "design/file_system.h"
#include "design/sdm_format.h"
#include "design/text.h"
#include "design/text_cursor.h"

namespace duv {
namespace {

std::runtime_error lineError(const std::string& name, std::size_t line, std::string_view what) {
  return std::runtime_error(name + ", line " + std::to_string(line) + ": " + std::string(what));
}

std::string_view withoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::string_view trimmed(std::string_view cell) {
  while (!cell.empty() && cell.front() == ' ') cell.remove_prefix(1);
  while (!cell.empty() && cell.back() == ' ') cell.remove_suffix(1);
  return cell;
}

bool isBlankLine(std::string_view line) { return std::all_of(line.begin(), line.end(), isBlank); }

// Calls `take(index, cell)` for every tab-separated cell; returns the number of cells.
template <typename Take>
std::size_t forEachCell(std::string_view line, Take&& take) {
  std::size_t index = 0;
  for (std::size_t start = 0;; ++index) {
    const auto tab = line.find(tsv::kSeparator, start);
    take(index, trimmed(line.substr(start, tab - start)));
    if (tab == std::string_view::npos) return index + 1;
    start = tab + 1;
  }
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

void readHeader(std::string_view line, ConfoundTable& table) {
  if (isBlankLine(line)) throw lineError(table.fileName, 1, "the header row is empty");
  std::map<std::string_view, std::size_t> seen;
  forEachCell(line, [&](std::size_t index, std::string_view name) {
    const auto column = "column " + std::to_string(index + 1);
    if (table.names.size() == static_cast<std::size_t>(sdm::kMaxPredictors)) {
      throw lineError(table.fileName, 1,
                      "more columns than the limit of " + std::to_string(sdm::kMaxPredictors));
    }
    if (name.empty()) throw lineError(table.fileName, 1, column + " has no name");
    if (name.find('"') != std::string_view::npos) {
      throw lineError(table.fileName, 1,
                      column + " name " + quoted(name) +
                          " holds a double quote, which design-matrix names cannot hold");
    }
    const auto [earlier, isNew] = seen.emplace(name, index);
    if (!isNew) {
      throw lineError(table.fileName, 1,
                      "column " + quoted(name) + " is named twice (columns " +
                          std::to_string(earlier->second + 1) + " and " +
                          std::to_string(index + 1) + ")");
    }
    table.names.emplace_back(name);
  });
  table.columns.assign(table.names.size(), {});
}

// The number of cells is checked first: a row whose cells are separated by blanks is a
// miscounted row, not a cell that is not a number.
void readRow(std::string_view line, std::size_t lineNumber, ConfoundTable& table) {
  const std::size_t expected = table.names.size();
  const auto found =
      static_cast<std::size_t>(std::count(line.begin(), line.end(), tsv::kSeparator)) + 1;
  if (found != expected) {
    throw lineError(
        table.fileName, lineNumber,
        "expected " + std::to_string(expected) + " values, found " + std::to_string(found));
  }
  forEachCell(line, [&](std::size_t index, std::string_view text) {
    const auto cell = readCell(text);
    switch (cell.kind) {
      case CellKind::number:
        table.columns[index].push_back(cell.value);
        return;
      case CellKind::notAvailable:
        // Held until the rule for its column is known (zeroLeadingNotAvailable).
        table.columns[index].push_back(std::numeric_limits<float>::quiet_NaN());
        return;
      case CellKind::notANumber:
      case CellKind::outOfRange:
        break;
    }
    throwCellError(
        cell.kind, text,
        table.fileName + ", line " + std::to_string(lineNumber) + ", column " + table.names[index]);
  });
  ++table.rows;
}

}  // namespace

ConfoundTable readConfoundTable(std::string_view text, const std::string& name) {
  ConfoundTable table;
  table.fileName = name;
  text = withoutByteOrderMark(text);
  if (text.empty()) throw std::runtime_error(name + ": the file is empty");
  TextCursor cursor(text, name);
  readHeader(withoutCarriageReturn(cursor.restOfLine()), table);
  table.firstDataLine = 2;

  std::size_t lineNumber = 1;
  std::size_t emptyLine = 0;  // the first empty line after the last row, if any
  while (!cursor.atEnd()) {
    const auto line = withoutCarriageReturn(cursor.restOfLine());
    ++lineNumber;
    if (isBlankLine(line)) {
      if (emptyLine == 0) emptyLine = lineNumber;
      continue;
    }
    if (emptyLine != 0) throw lineError(name, emptyLine, "empty line inside the table");
    if (table.rows == static_cast<std::size_t>(sdm::kMaxDataPoints)) {
      throw lineError(name, lineNumber,
                      "more data rows than the limit of " + std::to_string(sdm::kMaxDataPoints));
    }
    readRow(line, lineNumber, table);
  }
  if (table.rows == 0) throw std::runtime_error(name + ": the table has no data rows");
  return table;
}

ConfoundTable readConfoundTableFile(const std::string& path, FileSystem& files) {
  return readConfoundTable(files.readFile(path), path);
}

void skipRows(ConfoundTable& table, std::size_t count) {
  if (count >= table.rows) {
    throw std::runtime_error(table.fileName + ": skipping " + std::to_string(count) +
                             " volumes leaves none of its " + std::to_string(table.rows) + " rows");
  }
  for (auto& column : table.columns) {
    column.erase(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(count));
  }
  table.rows -= count;
  table.firstDataLine += count;
}

namespace {

bool mayStartWithoutValue(std::string_view name) {
  return name.find(tsv::kDerivativeSuffix) != std::string_view::npos ||
         name == tsv::kFramewiseDisplacement || name == tsv::kDvars;
}

}  // namespace

std::vector<std::string> zeroLeadingNotAvailable(ConfoundTable& table,
                                                 const std::vector<std::size_t>& indexes) {
  std::vector<std::string> zeroed;
  for (const auto index : indexes) {
    auto& column = table.columns[index];
    const auto& name = table.names[index];
    std::size_t t = 0;
    if (mayStartWithoutValue(name)) {
      for (; t < column.size() && std::isnan(column[t]); ++t) column[t] = 0.0F;
      if (t != 0) zeroed.push_back(name);
    }
    const auto other = std::find_if(column.begin() + static_cast<std::ptrdiff_t>(t), column.end(),
                                    [](float value) { return std::isnan(value); });
    if (other != column.end()) {
      const auto row = static_cast<std::size_t>(other - column.begin());
      throwCellError(CellKind::notAvailable, tsv::kNotAvailable,
                     table.fileName + ", line " + std::to_string(table.firstDataLine + row) +
                         ", column " + name);
    }
  }
  return zeroed;
}

}  // namespace duv
