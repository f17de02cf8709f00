#include "study/group_tsv.h"

#include <string>

#include "check/cell_text.h"
#include "study/group_table.h"

namespace duv {

void writeGroupTsv(const std::vector<RunRecord>& runs, std::ostream& out) {
  const auto table = groupTable(runs);
  std::vector<std::string> cells;
  for (const auto& column : table.columns) cells.push_back(column.header);
  writeTsvRow(cells, out);
  for (const auto& row : table.rows) {
    cells.clear();
    for (const auto& cell : row) cells.push_back(cell.text);
    writeTsvRow(cells, out);
  }
}

}  // namespace duv
