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
  // Read as one column, a comma-separated file would fail at its first value with a message
  // that says nothing of the cause.
  if (line.find(tsv::kSeparator) == std::string_view::npos &&
      line.find(tsv::kCommaSeparator) != std::string_view::npos) {
    throw lineError(table.fileName, 1,
                    "the columns are separated by commas; a .tsv confound table separates them "
                    "by tabs");
  }
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
void readRow(std::string_view line, std::size_t lineNumber, ConfoundTable& table,
             std::size_t exactIndex) {
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
        if (index == exactIndex) table.exactValues.push_back(cell.exact);
        return;
      case CellKind::notAvailable:
        // Held until the rule for its column is known (zeroLeadingNotAvailable).
        table.columns[index].push_back(std::numeric_limits<float>::quiet_NaN());
        if (index == exactIndex) {
          table.exactValues.push_back(std::numeric_limits<double>::quiet_NaN());
        }
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

// The text without its byte-order mark, refused when that leaves nothing.
std::string_view nonEmptyText(std::string_view text, const std::string& name) {
  text = withoutByteOrderMark(text);
  if (text.empty()) throw std::runtime_error(name + ": the file is empty");
  return text;
}

}  // namespace

ConfoundTable readConfoundTable(std::string_view text, const std::string& name,
                                std::string_view exactColumn) {
  ConfoundTable table;
  table.fileName = name;
  TextCursor cursor(nonEmptyText(text, name), name);
  readHeader(withoutCarriageReturn(cursor.restOfLine()), table);
  table.firstDataLine = 2;
  const auto exact = std::find(table.names.begin(), table.names.end(), exactColumn);
  const auto exactIndex = exactColumn.empty() || exact == table.names.end()
                              ? table.names.size()
                              : static_cast<std::size_t>(exact - table.names.begin());

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
    readRow(line, lineNumber, table, exactIndex);
  }
  if (table.rows == 0) throw std::runtime_error(name + ": the table has no data rows");
  return table;
}

std::vector<std::string> readConfoundTableHeader(std::string_view text, const std::string& name) {
  ConfoundTable table;
  table.fileName = name;
  TextCursor cursor(nonEmptyText(text, name), name);
  readHeader(withoutCarriageReturn(cursor.restOfLine()), table);
  return std::move(table.names);
}

ConfoundTable readConfoundTableFile(const std::string& path, FileSystem& files) {
  return readConfoundTable(files.readFile(path), path);
}

void skipRows(ConfoundTable& table, std::size_t first, std::size_t last) {
  if (first >= table.rows || last >= table.rows - first) {
    const auto skipping = last == 0    ? std::to_string(first) + " volumes"
                          : first == 0 ? "the last " + std::to_string(last) + " volumes"
                                       : std::to_string(first) + " first and " +
                                             std::to_string(last) + " last volumes";
    throw std::runtime_error(table.fileName + ": skipping " + skipping + " leaves none of its " +
                             std::to_string(table.rows) + " rows");
  }
  const auto drop = [&](auto& column) {
    if (column.empty()) return;
    column.erase(column.end() - static_cast<std::ptrdiff_t>(last), column.end());
    column.erase(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(first));
  };
  for (auto& column : table.columns) drop(column);
  drop(table.exactValues);
  table.rows -= first + last;
  table.firstDataLine += first;
}

std::vector<std::string> zeroLeadingNotAvailable(ConfoundTable& table,
                                                 const std::vector<std::size_t>& indexes) {
  std::vector<std::string> zeroed;
  for (const auto index : indexes) {
    auto& column = table.columns[index];
    const auto& name = table.names[index];
    std::size_t t = 0;
    for (; t < column.size() && std::isnan(column[t]); ++t) column[t] = 0.0F;
    if (t != 0) zeroed.push_back(name);
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
