#include "design/tsv_design.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>
#include <stdexcept>
#include <utility>

#include "design/confound_table.h"
#include "design/file_system.h"
#include "design/paths.h"
#include "design/sdm_reader.h"
#include "design/tsv_design_format.h"

namespace duv {
namespace {

using nlohmann::json;

// A column of one non-zero value throughout (a NaN is never one).
bool isOneNonZeroValue(const std::vector<float>& column) {
  if (column.empty() || column.front() == 0.0F) return false;
  const float first = column.front();
  return std::all_of(column.begin(), column.end(), [first](float x) { return x == first; });
}

// The positions in the order the files hold them: task columns, confounds, the constant.
std::vector<std::size_t> writtenOrder(const DesignColumns& columns) {
  auto order = columns.task;
  order.insert(order.end(), columns.confounds.begin(), columns.confounds.end());
  if (columns.constant) order.push_back(*columns.constant);
  return order;
}

void appendValue(std::string& text, float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  text.append(buffer, result.ptr);
}

std::string jsonString(const std::string& text) {
  try {
    return json(text).dump();
  } catch (const json::exception&) {
    throw std::runtime_error("the predictor name \"" + text +
                             "\" is not UTF-8 text, which a JSON sidecar cannot hold");
  }
}

void appendNames(std::string& text, const DesignMatrix& design,
                 const std::vector<std::size_t>& positions) {
  text += '[';
  for (std::size_t i = 0; i < positions.size(); ++i) {
    if (i != 0) text += ", ";
    text += jsonString(design.predictorNames[positions[i]]);
  }
  text += ']';
}

std::string mismatch(const std::string& sidecarPath, const std::string& path,
                     const std::string& what) {
  return sidecarPath + " does not match " + path + ": " + what;
}

// The value of `key` as the sidecar must hold it; `kind` says what that is in the message.
const json& member(const json& sidecar, std::string_view key, const std::string& sidecarPath,
                   bool (json::*is)() const noexcept, const char* kind) {
  const auto found = sidecar.find(key);
  if (found == sidecar.end() || !((*found).*is)()) {
    throw std::runtime_error(sidecarPath + ": \"" + std::string(key) + "\" must be " + kind);
  }
  return *found;
}

std::vector<std::string> namesIn(const json& array, std::string_view key,
                                 const std::string& sidecarPath) {
  std::vector<std::string> names;
  for (const auto& name : array) {
    if (!name.is_string()) {
      throw std::runtime_error(sidecarPath + ": \"" + std::string(key) +
                               "\" must be an array of column names");
    }
    names.push_back(name.get<std::string>());
  }
  return names;
}

// Colours: the sidecar's, else those of converted confounds.
void colour(DesignMatrix& m, const json& sidecar, const std::string& sidecarPath) {
  const auto count = m.predictorNames.size();
  const auto found = sidecar.find(tsv_design::kColors);
  if (found == sidecar.end()) {
    m.colorRed.assign(count, 255);
    m.colorGreen.assign(count, 255);
    m.colorBlue.assign(count, 255);
    return;
  }
  const auto bad = [&] {
    return std::runtime_error(sidecarPath + ": \"" + std::string(tsv_design::kColors) +
                              "\" must hold one [red, green, blue] of 0 to 255 per column");
  };
  if (!found->is_array() || found->size() != count) throw bad();
  for (const auto& triple : *found) {
    if (!triple.is_array() || triple.size() != 3) throw bad();
    std::int32_t rgb[3];
    for (std::size_t i = 0; i < 3; ++i) {
      if (!triple[i].is_number_integer()) throw bad();
      const auto value = triple[i].get<std::int64_t>();
      if (value < 0 || value > 255) throw bad();
      rgb[i] = static_cast<std::int32_t>(value);
    }
    m.colorRed.push_back(rgb[0]);
    m.colorGreen.push_back(rgb[1]);
    m.colorBlue.push_back(rgb[2]);
  }
}

// The table read as numbers alone: "n/a" has no place in a design.
ConfoundTable readTable(std::string_view text, const std::string& path) {
  auto table = readConfoundTable(text, path);
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const auto& column = table.columns[c];
    const auto missing =
        std::find_if(column.begin(), column.end(), [](float value) { return std::isnan(value); });
    if (missing == column.end()) continue;
    const auto line = table.firstDataLine + static_cast<std::size_t>(missing - column.begin());
    throw std::runtime_error(path + ", line " + std::to_string(line) + ", column " +
                             table.names[c] + ": n/a");
  }
  return table;
}

// The matrix of the table's columns in `order`, the first `taskCount` of them main predictors.
DesignMatrix designOf(ConfoundTable& table, const std::vector<std::size_t>& order,
                      std::size_t taskCount, bool constant, const std::string& path) {
  DesignMatrix m;
  m.fileName = convertedFileName(path);
  m.nrOfPredictors.value = static_cast<std::int32_t>(order.size());
  m.nrOfDataPoints.value = static_cast<std::int32_t>(table.rows);
  m.includesConstant.value = constant;
  m.firstConfoundPredictor.value = static_cast<std::int32_t>(taskCount + 1);
  for (const auto c : order) {
    m.predictorNames.push_back(std::move(table.names[c]));
    m.values.push_back(std::move(table.columns[c]));
  }
  return m;
}

}  // namespace

DesignColumns designColumnsOf(const DesignMatrix& design) {
  DesignColumns columns;
  const auto count = design.values.size();
  if (count != 0 && design.includesConstant.value && isOneNonZeroValue(design.values.back())) {
    columns.constant = count - 1;
  }
  const auto first = std::max<std::int32_t>(design.firstConfoundPredictor.value, 1);
  const auto taskCount = std::min(static_cast<std::size_t>(first - 1), count);
  for (std::size_t p = 0; p < count; ++p) {
    if (columns.constant == p) continue;
    (p < taskCount ? columns.task : columns.confounds).push_back(p);
  }
  return columns;
}

void writeTsvDesign(const DesignMatrix& design, std::ostream& out) {
  const auto order = writtenOrder(designColumnsOf(design));
  std::string text;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const auto& name = design.predictorNames[order[i]];
    if (name.find_first_of("\t\r\n") != std::string::npos) {
      throw std::runtime_error("the predictor name \"" + name +
                               "\" holds a tab or a line break, which a TSV header cannot");
    }
    if (i != 0) text += tsv_design::kSeparator;
    text += name;
  }
  text += '\n';
  out << text;
  const auto points = static_cast<std::size_t>(std::max(design.nrOfDataPoints.value, 0));
  for (std::size_t t = 0; t < points; ++t) {
    text.clear();
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (i != 0) text += tsv_design::kSeparator;
      appendValue(text, design.values[order[i]][t]);
    }
    text += '\n';
    out << text;
  }
}

void writeTsvSidecar(const DesignMatrix& design, std::ostream& out) {
  const auto columns = designColumnsOf(design);
  std::string text = "{\n  \"";
  text += tsv_design::kDataPoints;
  text += "\": " + std::to_string(design.nrOfDataPoints.value) + ",\n  \"";
  text += tsv_design::kTaskColumns;
  text += "\": ";
  appendNames(text, design, columns.task);
  text += ",\n  \"";
  text += tsv_design::kConfoundColumns;
  text += "\": ";
  appendNames(text, design, columns.confounds);
  text += ",\n  \"";
  text += tsv_design::kConstantColumn;
  text += "\": ";
  text += columns.constant ? jsonString(design.predictorNames[*columns.constant]) : "null";
  text += ",\n  \"";
  text += tsv_design::kColors;
  text += "\": [";
  const auto order = writtenOrder(columns);
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i != 0) text += ", ";
    text += '[' + std::to_string(design.colorRed[order[i]]) + ", " +
            std::to_string(design.colorGreen[order[i]]) + ", " +
            std::to_string(design.colorBlue[order[i]]) + ']';
  }
  text += "]\n}\n";
  out << text;
}

std::string sidecarPathOf(std::string_view tsvPath) {
  return replaceExtension(tsvPath, "." + std::string(tsv_design::kSidecarExtensions[0]));
}

bool hasSidecar(const std::string& tsvPath, FileSystem& files) {
  return files.status(sidecarPathOf(tsvPath)).kind == FileKind::file;
}

DesignMatrix readTsvDesign(std::string_view text, const std::string& path, std::string_view sidecar,
                           const std::string& sidecarPath) {
  json root;
  try {
    root = json::parse(sidecar);
  } catch (const json::exception& error) {
    throw std::runtime_error(sidecarPath + ": not JSON (" + error.what() + ")");
  }
  if (!root.is_object()) throw std::runtime_error(sidecarPath + ": not a JSON object");
  const auto& points = member(root, tsv_design::kDataPoints, sidecarPath, &json::is_number_unsigned,
                              "a number of data points");
  auto names = namesIn(member(root, tsv_design::kTaskColumns, sidecarPath, &json::is_array,
                              "an array of column names"),
                       tsv_design::kTaskColumns, sidecarPath);
  const auto taskCount = names.size();
  const auto confounds = namesIn(member(root, tsv_design::kConfoundColumns, sidecarPath,
                                        &json::is_array, "an array of column names"),
                                 tsv_design::kConfoundColumns, sidecarPath);
  names.insert(names.end(), confounds.begin(), confounds.end());
  const auto constant = root.find(tsv_design::kConstantColumn);
  if (constant == root.end() || !(constant->is_null() || constant->is_string())) {
    throw std::runtime_error(sidecarPath + ": \"" + std::string(tsv_design::kConstantColumn) +
                             "\" must be a column name or null");
  }
  if (constant->is_string()) names.push_back(constant->get<std::string>());

  auto table = readTable(text, path);
  if (names.size() != table.names.size()) {
    throw std::runtime_error(mismatch(sidecarPath, path,
                                      "it names " + std::to_string(names.size()) +
                                          " columns, the header " +
                                          std::to_string(table.names.size())));
  }
  for (std::size_t c = 0; c < names.size(); ++c) {
    if (names[c] == table.names[c]) continue;
    throw std::runtime_error(mismatch(sidecarPath, path,
                                      "column " + std::to_string(c + 1) + " is \"" +
                                          table.names[c] + "\" in the header but \"" + names[c] +
                                          "\" in the sidecar"));
  }
  if (points.get<std::uint64_t>() != table.rows) {
    throw std::runtime_error(mismatch(sidecarPath, path,
                                      "it says " + std::to_string(points.get<std::uint64_t>()) +
                                          " data points, the file has " +
                                          std::to_string(table.rows) + " rows"));
  }
  std::vector<std::size_t> order(names.size());
  for (std::size_t c = 0; c < order.size(); ++c) order[c] = c;
  auto design = designOf(table, order, taskCount, constant->is_string(), path);
  colour(design, root, sidecarPath);
  return design;
}

DesignMatrix readTsvDesignWithTaskColumns(std::string_view text, const std::string& path,
                                          const std::vector<std::string>& taskColumns) {
  auto table = readTable(text, path);
  for (const auto& name : taskColumns) {
    if (std::find(table.names.begin(), table.names.end(), name) == table.names.end()) {
      throw std::runtime_error(path + ": no column " + name + " (--task-columns)");
    }
  }
  const auto isTask = [&](std::size_t c) {
    return std::find(taskColumns.begin(), taskColumns.end(), table.names[c]) != taskColumns.end();
  };
  const auto count = table.columns.size();
  const bool constant = count != 0 && !isTask(count - 1) && isOneNonZeroValue(table.columns.back());
  std::vector<std::size_t> order;
  for (std::size_t c = 0; c < count; ++c) {
    if (isTask(c)) order.push_back(c);
  }
  const auto taskCount = order.size();
  for (std::size_t c = 0; c < count; ++c) {
    if (!isTask(c)) order.push_back(c);
  }
  auto design = designOf(table, order, taskCount, constant, path);
  design.colorRed.assign(count, 255);
  design.colorGreen.assign(count, 255);
  design.colorBlue.assign(count, 255);
  return design;
}

std::string unmarkedTsvDesignMessage(const std::string& path) {
  return path + ": a TSV design needs its task columns marked: a sidecar " + sidecarPathOf(path) +
         " beside it, as --export tsv writes, or --task-columns NAME,...";
}

std::string taskDesignNameOf(const std::string& path) {
  return hasExtension(path, tsv_design::kExtensions[0]) ? convertedFileName(path) : path;
}

DesignMatrix readTaskDesignFile(const std::string& path,
                                const std::vector<std::string>& taskColumns, FileSystem& files) {
  if (!hasExtension(path, tsv_design::kExtensions[0])) return readSdmFile(path, files);
  const auto text = files.readFile(path);
  if (hasSidecar(path, files)) {
    const auto sidecar = sidecarPathOf(path);
    return readTsvDesign(text, path, files.readFile(sidecar), sidecar);
  }
  if (taskColumns.empty()) throw std::runtime_error(unmarkedTsvDesignMessage(path));
  return readTsvDesignWithTaskColumns(text, path, taskColumns);
}

}  // namespace duv
