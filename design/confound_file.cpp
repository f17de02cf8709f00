#include "design/confound_file.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "design/confound_expansion.h"
#include "design/confound_table.h"
#include "design/design_format.h"
#include "design/file_system.h"
#include "design/motion_text.h"

namespace duv {
namespace {

DesignMatrix confoundMatrix(const std::string& path, std::vector<std::string> names,
                            std::vector<std::vector<float>> columns, std::size_t rows) {
  DesignMatrix m;
  m.fileName = convertedFileName(path);
  m.nrOfPredictors.value = static_cast<std::int32_t>(columns.size());
  m.nrOfDataPoints.value = static_cast<std::int32_t>(rows);
  m.firstConfoundPredictor.value = 1;
  m.colorRed.assign(columns.size(), 255);
  m.colorGreen.assign(columns.size(), 255);
  m.colorBlue.assign(columns.size(), 255);
  m.predictorNames = std::move(names);
  m.values = std::move(columns);
  return m;
}

ConfoundInput fromTable(ConfoundTable table, const ConfoundOptions& options) {
  skipRows(table, options.skipVolumes, options.skipLastVolumes);
  auto chosen = selectConfounds(table, options.selection);
  ConfoundInput input;
  input.zeroedColumns = zeroLeadingNotAvailable(table, chosen);
  input.leftOutColumns = leaveOutEmptyAndRepeatedOutliers(table, options.selection, chosen);
  // A column left out is not one of the matrix's, so its zeroed cells are not told either.
  for (const auto& column : input.leftOutColumns) {
    const auto named =
        std::find(input.zeroedColumns.begin(), input.zeroedColumns.end(), column.name);
    if (named != input.zeroedColumns.end()) input.zeroedColumns.erase(named);
  }
  std::vector<std::string> names;
  std::vector<std::vector<float>> columns;
  names.reserve(chosen.size());
  columns.reserve(chosen.size());
  for (const auto c : chosen) {
    names.push_back(std::move(table.names[c]));
    columns.push_back(std::move(table.columns[c]));
  }
  input.matrix = confoundMatrix(table.fileName, std::move(names), std::move(columns), table.rows);
  return input;
}

ConfoundInput fromText(ConfoundTable table, const ConfoundOptions& options) {
  skipRows(table, options.skipVolumes, options.skipLastVolumes);
  expandMotion(table, options.derivatives, options.squares);
  ConfoundInput input;
  input.matrix =
      confoundMatrix(table.fileName, std::move(table.names), std::move(table.columns), table.rows);
  return input;
}

}  // namespace

ConfoundInput confoundsOfTable(std::string_view text, const std::string& path,
                               const ConfoundOptions& options) {
  return fromTable(readConfoundTable(text, path), options);
}

ConfoundInput confoundsOfMotionText(std::string_view text, const std::string& path,
                                    const ConfoundOptions& options) {
  return fromText(readMotionText(text, path), options);
}

bool isConfoundTable(std::string_view path) { return hasExtensionOf(path, kConfoundTableFormat); }

bool isMotionText(std::string_view path) { return hasExtensionOf(path, kMotionTextFormat); }

bool isConfoundFile(std::string_view path) { return isConfoundTable(path) || isMotionText(path); }

ConfoundInput readConfounds(std::string_view text, const std::string& path,
                            const ConfoundOptions& options) {
  if (isConfoundTable(path)) return confoundsOfTable(text, path, options);
  if (isMotionText(path)) return confoundsOfMotionText(text, path, options);
  throw std::invalid_argument(path + " is neither a confound table nor a motion text file");
}

ConfoundInput readConfoundFile(const std::string& path, const ConfoundOptions& options,
                               FileSystem& files) {
  if (!isConfoundFile(path)) {
    throw std::invalid_argument(path + " is neither a confound table nor a motion text file");
  }
  return readConfounds(files.readFile(path), path, options);
}

}  // namespace duv
