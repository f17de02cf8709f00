#include "design/motion_text.h"

#include <stdexcept>

#include "design/confound_cell.h"
#include "design/file_system.h"
#include "design/motion_text_format.h"
#include "design/paths.h"
#include "design/sdm_format.h"
#include "design/text_cursor.h"

namespace duv {
namespace {

std::runtime_error lineError(const std::string& name, std::size_t line, std::string_view what) {
  return std::runtime_error(name + ", line " + std::to_string(line) + ": " + std::string(what));
}

// Calls `take(index, token)` for every run of non-blank characters; returns their number.
template <typename Take>
std::size_t forEachToken(std::string_view line, Take&& take) {
  std::size_t count = 0;
  std::size_t p = 0;
  for (;;) {
    while (p < line.size() && isSpace(line[p])) ++p;
    if (p == line.size()) return count;
    const auto start = p;
    while (p < line.size() && !isSpace(line[p])) ++p;
    take(count++, line.substr(start, p - start));
  }
}

bool holdsNoRow(std::string_view line) {
  std::size_t p = 0;
  while (p < line.size() && isSpace(line[p])) ++p;
  return p == line.size() || line[p] == motion_text::kComment;
}

void nameColumns(ConfoundTable& table, std::size_t count, std::size_t lineNumber) {
  if (count > static_cast<std::size_t>(sdm::kMaxPredictors)) {
    throw lineError(table.fileName, lineNumber,
                    std::to_string(count) + " values, more than the limit of " +
                        std::to_string(sdm::kMaxPredictors));
  }
  const auto stem = pathWithoutExtension(fileNameOf(table.fileName));
  if (stem.find('"') != std::string::npos) {
    throw std::runtime_error(table.fileName +
                             ": the file name holds a double quote, which design-matrix names "
                             "cannot hold");
  }
  for (std::size_t k = 1; k <= count; ++k) table.names.push_back(stem + "_" + std::to_string(k));
  table.columns.assign(count, {});
}

void readRow(std::string_view line, std::size_t lineNumber, ConfoundTable& table) {
  const std::size_t expected = table.columns.size();
  const auto found = forEachToken(line, [&](std::size_t index, std::string_view text) {
    if (index >= expected) return;
    const auto cell = readCell(text);
    if (cell.kind != CellKind::number) {
      throwCellError(cell.kind, text,
                     table.fileName + ", line " + std::to_string(lineNumber) + ", column " +
                         table.names[index]);
    }
    table.columns[index].push_back(cell.value);
  });
  if (found != expected) {
    throw lineError(
        table.fileName, lineNumber,
        "expected " + std::to_string(expected) + " values, found " + std::to_string(found));
  }
  ++table.rows;
}

}  // namespace

ConfoundTable readMotionText(std::string_view text, const std::string& name) {
  ConfoundTable table;
  table.fileName = name;
  TextCursor cursor(text, name);
  for (std::size_t lineNumber = 1; !cursor.atEnd(); ++lineNumber) {
    const auto line = cursor.restOfLine();
    if (holdsNoRow(line)) continue;
    if (table.names.empty()) {
      nameColumns(table, forEachToken(line, [](std::size_t, std::string_view) {}), lineNumber);
    }
    if (table.rows == static_cast<std::size_t>(sdm::kMaxDataPoints)) {
      throw lineError(name, lineNumber,
                      "more data rows than the limit of " + std::to_string(sdm::kMaxDataPoints));
    }
    readRow(line, lineNumber, table);
  }
  if (table.rows == 0) throw std::runtime_error(name + ": the file holds no rows of values");
  return table;
}

ConfoundTable readMotionTextFile(const std::string& path, FileSystem& files) {
  return readMotionText(files.readFile(path), path);
}

}  // namespace duv
