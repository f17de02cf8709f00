#pragma once

// Confound columns read from another tool's file: a confound table (".tsv") or a motion text
// file (motion_text.h), before they become a design matrix.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace duv {

class FileSystem;

struct ConfoundTable {
  std::string fileName;                     // the path read; names the file in messages
  std::vector<std::string> names;           // one per column, distinct
  std::vector<std::vector<float>> columns;  // columns[c][t]: column c at row t
  std::size_t rows = 0;                     // entries in every column
  // The physical line (counted from 1) of row 0; rows follow on consecutive lines. Tables only:
  // in a table an "n/a" cell is held as a NaN, and no other cell can be one.
  std::size_t firstDataLine = 0;
};

// Reads a confound table (confound_table_format.h); `name` is the path for fileName and
// messages. Blanks around a cell, a carriage return before a newline and a UTF-8 byte-order mark
// are allowed; empty lines only at the end. Throws errors naming the file (and the line):
//   std::runtime_error for an empty file, a header without rows, a column without a name, with
//   a double quote (design-matrix names cannot hold one) or named twice, a row of another
//   number of cells than the header, and counts beyond the design-matrix limits;
//   the errors of throwCellError (confound_cell.h) for a cell that is not a number or "n/a",
//   with the context "<name>, line <n>, column <column name>".
ConfoundTable readConfoundTable(std::string_view text, const std::string& name);
ConfoundTable readConfoundTableFile(const std::string& path, FileSystem& files);

// Drops the first `count` rows (volumes recorded before the signal was steady). Throws
// std::runtime_error naming the file when no row would remain.
void skipRows(ConfoundTable& table, std::size_t count);

// The rule for "n/a" in the columns at `indexes`: leading "n/a" cells become 0 in columns whose
// name contains "_derivative1" and in "framewise_displacement" and "dvars"; any other "n/a"
// throws std::runtime_error "<fileName>, line <n>, column <name>: n/a". Returns the names of the
// columns in which cells became 0, in the order of `indexes`.
std::vector<std::string> zeroLeadingNotAvailable(ConfoundTable& table,
                                                 const std::vector<std::size_t>& indexes);

}  // namespace duv
