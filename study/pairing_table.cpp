#include "study/pairing_table.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>

namespace duv {
namespace {

std::string visible(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t') {
      shown += "\\t";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(byte));
      shown += escape;
    } else {
      shown += c;
    }
  }
  return shown;
}

using Row = std::vector<std::string>;

Row headerRow(const std::vector<RunPlan>& runs, std::size_t confounds) {
  Row header;
  if (!runs.empty()) {
    for (const auto& field : runs.front().fields) header.push_back(visible(field.first));
  }
  header.emplace_back("primary");
  for (std::size_t k = 1; k <= confounds; ++k) {
    header.push_back(confounds == 1 ? "confounds" : "confounds" + std::to_string(k));
  }
  header.emplace_back("output");
  return header;
}

Row runRow(const RunPlan& run, std::size_t fields, std::size_t confounds) {
  Row row;
  for (std::size_t f = 0; f < fields; ++f) {
    row.push_back(f < run.fields.size() ? visible(run.fields[f].second) : "-");
  }
  row.push_back(visible(run.primary));
  for (std::size_t k = 0; k < confounds; ++k) {
    row.push_back(k < run.confounds.size() ? visible(run.confounds[k]) : "-");
  }
  row.push_back(run.outputFolder.empty() ? "." : visible(run.outputFolder));
  return row;
}

}  // namespace

void writePairingTable(const std::vector<RunPlan>& runs, std::ostream& out) {
  std::size_t confounds = 1;
  for (const auto& run : runs) confounds = std::max(confounds, run.confounds.size());
  const std::size_t fields = runs.empty() ? 0 : runs.front().fields.size();

  std::vector<Row> rows{headerRow(runs, confounds)};
  for (const auto& run : runs) rows.push_back(runRow(run, fields, confounds));
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c + 1 < row.size(); ++c) {
      line += row[c];
      line.append(widths[c] + 2 - row[c].size(), ' ');
    }
    line += row.back();
    out << line << '\n';
  }
}

}  // namespace duv
