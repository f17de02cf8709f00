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
  // The values of the column named as readConfoundTable's `exactColumn`, in double precision as
  // the file writes them ("n/a" as NaN), one per row; empty without one.
  std::vector<double> exactValues;
};

// Reads a confound table (confound_table_format.h); `name` is the path for fileName and
// messages. Blanks around a cell, a carriage return before a newline and a UTF-8 byte-order mark
// are allowed; empty lines only at the end. Throws errors naming the file (and the line):
//   std::runtime_error for an empty file, a header without rows, a header row without a tab that
//   holds a comma ("<name>, line 1: the columns are separated by commas; a .tsv confound table
//   separates them by tabs"), a column without a name, with
//   a double quote (design-matrix names cannot hold one) or named twice, a row of another
//   number of cells than the header, and counts beyond the design-matrix limits;
//   the errors of throwCellError (confound_cell.h) for a cell that is not a number or "n/a",
//   with the context "<name>, line <n>, column <column name>".
// With `exactColumn`, the values of the column of that name are also kept in exactValues.
ConfoundTable readConfoundTable(std::string_view text, const std::string& name,
                                std::string_view exactColumn = {});
ConfoundTable readConfoundTableFile(const std::string& path, FileSystem& files);

// The column names of a table's header row, read and checked as readConfoundTable reads them;
// the rows are not read. Throws the errors of the file and of its header row.
std::vector<std::string> readConfoundTableHeader(std::string_view text, const std::string& name);

// Drops the first `first` rows (volumes recorded before the signal was steady) and the last
// `last` rows (volumes a pipeline recorded beyond those of the design). Throws
// std::runtime_error when no row would remain: "<fileName>: skipping <first> volumes leaves none
// of its <rows> rows" (last 0), "... skipping the last <last> volumes ..." (first 0), "...
// skipping <first> first and <last> last volumes ...".
void skipRows(ConfoundTable& table, std::size_t first, std::size_t last = 0);

// The rule for "n/a" in the columns at `indexes`, whatever their names: the leading "n/a" cells
// of a column (those before its first number; all of them in a column without one) become 0;
// any other "n/a" throws std::runtime_error "<fileName>, line <n>, column <name>: n/a". Returns
// the names of the columns in which cells became 0, in the order of `indexes`.
std::vector<std::string> zeroLeadingNotAvailable(ConfoundTable& table,
                                                 const std::vector<std::size_t>& indexes);

}  // namespace duv
