#include "study/group_tsv.h"

#include <ostream>
#include <string>

#include "study/group_table.h"

namespace duv {
namespace {

// Tabs and line breaks would break the table's lines and columns.
std::string field(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

void writeGroupTsv(const std::vector<RunRecord>& runs, std::ostream& out) {
  const auto table = groupTable(runs);
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    out << (c > 0 ? "\t" : "") << field(table.columns[c].header);
  }
  out << '\n';
  for (const auto& row : table.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) out << (c > 0 ? "\t" : "") << field(row[c].text);
    out << '\n';
  }
}

}  // namespace duv
