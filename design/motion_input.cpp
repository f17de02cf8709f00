#include "design/motion_input.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <variant>

#include "design/confound_table.h"
#include "design/confound_table_format.h"
#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/motion_text.h"
#include "design/sdm_reader.h"
#include "design/text.h"

namespace duv {
namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr std::size_t kParameters = 6;

// A motion input, or why a file holds none.
using MotionRead = std::variant<MotionInput, std::string>;

// Where the six parameters stand in a file's columns, and the unit of each rotation.
struct SixColumns {
  std::array<const std::vector<float>*, 3> translations{};
  std::array<const std::vector<float>*, 3> rotations{};
  std::array<double, 3> radiansPerUnit{1.0, 1.0, 1.0};
};

std::vector<MotionParameters> parametersOf(const SixColumns& six, std::size_t rows,
                                           const std::string& path) {
  std::vector<MotionParameters> parameters(rows);
  for (std::size_t t = 0; t < rows; ++t) {
    for (std::size_t k = 0; k < 3; ++k) {
      const float translation = (*six.translations[k])[t];
      const float rotation = (*six.rotations[k])[t];
      // A design matrix may hold infinities and NaN ("inf", "nan"); a displacement made of
      // them would say nothing.
      if (!std::isfinite(translation) || !std::isfinite(rotation)) {
        throw std::runtime_error(path + ", volume " + std::to_string(t + 1) +
                                 ": a motion value beyond the single-precision range");
      }
      parameters[t].translation[k] = static_cast<double>(translation);
      parameters[t].rotation[k] = static_cast<double>(rotation) * six.radiansPerUnit[k];
    }
  }
  return parameters;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool endsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

struct MotionPredictor {
  std::size_t index = 0;
  bool rotation = false;
  double radiansPerUnit = 1.0;
};

std::optional<MotionPredictor> motionPredictor(std::string_view name, std::size_t index) {
  if (startsWith(name, motion::kTranslationPrefix) && endsWith(name, motion::kMillimetres)) {
    return MotionPredictor{index, false, 1.0};
  }
  if (!startsWith(name, motion::kRotationPrefix)) return std::nullopt;
  if (endsWith(name, motion::kDegrees)) return MotionPredictor{index, true, kRadiansPerDegree};
  if (endsWith(name, motion::kRadians)) return MotionPredictor{index, true, 1.0};
  return std::nullopt;
}

bool inMotionOrder(const std::vector<MotionPredictor>& found) {
  if (found.size() != kParameters) return false;
  for (std::size_t k = 0; k < kParameters; ++k) {
    if (found[k].rotation != (k >= 3)) return false;
  }
  return true;
}

MotionRead fromSdm(std::string_view text, const std::string& path) {
  const auto design = readSdm(text, path);
  std::vector<MotionPredictor> found;
  std::vector<std::string> names;
  for (std::size_t p = 0; p < design.predictorNames.size(); ++p) {
    if (auto predictor = motionPredictor(design.predictorNames[p], p)) {
      found.push_back(*predictor);
      names.push_back('"' + design.predictorNames[p] + '"');
    }
  }
  if (!inMotionOrder(found)) {
    return "expected three predictors named \"Translation ... [mm]\", then three named "
           "\"Rotation ... [deg]\" or \"Rotation ... [rad]\"; found " +
           (names.empty() ? std::string("none") : joined(names, ", "));
  }
  if (design.nrOfDataPoints.value == 0) return "the design holds no data points";
  SixColumns six;
  for (std::size_t k = 0; k < 3; ++k) {
    six.translations[k] = &design.values[found[k].index];
    six.rotations[k] = &design.values[found[3 + k].index];
    six.radiansPerUnit[k] = found[3 + k].radiansPerUnit;
  }
  MotionInput input;
  input.fileName = path;
  input.layout = MotionLayout::sdm;
  input.volumes = static_cast<std::size_t>(design.nrOfDataPoints.value);
  input.parameters = parametersOf(six, input.volumes, path);
  return input;
}

std::string_view columnOrder(MotionLayout layout) {
  switch (layout) {
    case MotionLayout::par:
      return "three rotations (rad) then three translations (mm)";
    case MotionLayout::txt:
      return "three translations (mm) then three rotations (rad)";
    case MotionLayout::afni1D:
      return "roll, pitch and yaw (degrees) then three displacements (mm), or nine or ten as "
             "3dvolreg -dfile writes them (the volume's index first)";
    case MotionLayout::sdm:
    case MotionLayout::table:
      break;
  }
  return "";
}

// 3dvolreg's -dfile layout: the volume's index (0, 1, 2, ...), the six parameters of a 1d
// file, then two or three measures of fit that are not motion.
constexpr std::size_t kIndexedColumns[] = {9, 10};

bool isIndexed(const ConfoundTable& table) {
  return std::find(std::begin(kIndexedColumns), std::end(kIndexedColumns), table.columns.size()) !=
         std::end(kIndexedColumns);
}

std::string shortest(float value) {
  char text[32];
  const auto written = std::to_chars(text, text + sizeof text, value);
  return std::string(text, written.ptr);
}

// An index column counts up by one from its first value (skipped volumes are gone from it):
// nine or ten columns of anything else are not taken for motion.
std::optional<std::string> notAnIndex(const ConfoundTable& table) {
  const auto& index = table.columns.front();
  for (std::size_t t = 1; t < index.size(); ++t) {
    const float expected = index[0] + static_cast<float>(t);
    if (index[t] != expected) {
      return "a 1d file of " + std::to_string(table.columns.size()) +
             " columns is read as 3dvolreg -dfile writes it, the volume's index first, but "
             "volume " +
             std::to_string(t + 1) + " has the index " + shortest(index[t]) + " where " +
             shortest(expected) + " follows";
    }
  }
  return std::nullopt;
}

MotionRead fromText(std::string_view text, const std::string& path, MotionLayout layout,
                    std::size_t skipVolumes, std::size_t skipLastVolumes) {
  auto table = readMotionText(text, path);
  skipRows(table, skipVolumes, skipLastVolumes);
  const bool indexed = layout == MotionLayout::afni1D && isIndexed(table);
  if (table.columns.size() != kParameters && !indexed) {
    return "a " + std::string(layoutName(layout)) + " file holds six columns, " +
           std::string(columnOrder(layout)) + "; this one holds " +
           std::to_string(table.columns.size());
  }
  if (indexed) {
    if (auto why = notAnIndex(table)) return *std::move(why);
  }
  const std::size_t first = indexed ? 1 : 0;
  // par and 1d give the rotations first, txt the translations.
  const std::size_t firstTranslation = first + (layout == MotionLayout::txt ? 0 : 3);
  const std::size_t firstRotation = first + (layout == MotionLayout::txt ? 3 : 0);
  const double radiansPerUnit = layout == MotionLayout::afni1D ? kRadiansPerDegree : 1.0;
  SixColumns six;
  for (std::size_t k = 0; k < 3; ++k) {
    six.translations[k] = &table.columns[firstTranslation + k];
    six.rotations[k] = &table.columns[firstRotation + k];
    six.radiansPerUnit[k] = radiansPerUnit;
  }
  MotionInput input;
  input.fileName = path;
  input.layout = layout;
  input.volumes = table.rows;
  input.parameters = parametersOf(six, table.rows, path);
  return input;
}

std::optional<std::size_t> columnIndex(const ConfoundTable& table, std::string_view name) {
  const auto found = std::find(table.names.begin(), table.names.end(), name);
  if (found == table.names.end()) return std::nullopt;
  return static_cast<std::size_t>(found - table.names.begin());
}

// The column as the file writes it, in double precision: a spike threshold compares the file's
// own decimals (0.50000001 lies above 0.5, though single precision makes it 0.5).
std::vector<double> displacementColumn(ConfoundTable& table, std::size_t index) {
  zeroLeadingNotAvailable(table, {index});
  std::vector<double> column = table.exactValues;
  // zeroLeadingNotAvailable left no "n/a" but the leading ones, which count as 0.
  for (double& value : column) {
    if (std::isnan(value)) value = 0.0;
  }
  for (std::size_t t = 0; t < column.size(); ++t) {
    if (!std::isfinite(column[t])) {
      throw std::runtime_error(table.fileName + ", volume " + std::to_string(t + 1) +
                               ": a motion value beyond the single-precision range");
    }
    // A distance: a negative one is a damaged column, which would lower the mean and hide
    // spikes.
    if (column[t] < 0.0) {
      throw std::runtime_error(table.fileName + ", line " +
                               std::to_string(table.firstDataLine + t) + ", column " +
                               table.names[index] + ": a displacement is never negative");
    }
  }
  return column;
}

MotionRead fromTable(std::string_view text, const std::string& path, std::size_t skipVolumes,
                     std::size_t skipLastVolumes) {
  auto table = readConfoundTable(text, path, tsv::kFramewiseDisplacement);
  skipRows(table, skipVolumes, skipLastVolumes);
  MotionInput input;
  input.fileName = path;
  input.layout = MotionLayout::table;
  input.volumes = table.rows;

  std::vector<std::size_t> indexes;
  std::vector<std::string> missing;
  for (const auto name : motion::kTableColumns) {
    if (const auto index = columnIndex(table, name)) {
      indexes.push_back(*index);
    } else {
      missing.emplace_back(name);
    }
  }
  if (missing.empty()) {
    zeroLeadingNotAvailable(table, indexes);
    SixColumns six;
    for (std::size_t k = 0; k < 3; ++k) {
      six.translations[k] = &table.columns[indexes[k]];
      six.rotations[k] = &table.columns[indexes[3 + k]];
    }
    input.parameters = parametersOf(six, table.rows, path);
    return input;
  }
  const auto displacement = columnIndex(table, tsv::kFramewiseDisplacement);
  if (!displacement) {
    return "the columns " + joined(missing, ", ") +
           " are missing, and so is framewise_displacement";
  }
  input.displacementColumn = displacementColumn(table, *displacement);
  return input;
}

MotionRead readAnyMotion(std::string_view text, const std::string& path, MotionLayout layout,
                         std::size_t skipVolumes, std::size_t skipLastVolumes) {
  switch (layout) {
    case MotionLayout::sdm:
      return fromSdm(text, path);
    case MotionLayout::par:
    case MotionLayout::txt:
    case MotionLayout::afni1D:
      return fromText(text, path, layout, skipVolumes, skipLastVolumes);
    case MotionLayout::table:
      return fromTable(text, path, skipVolumes, skipLastVolumes);
  }
  throw std::invalid_argument("unknown motion layout");
}

}  // namespace

bool namesMotionParameter(std::string_view name) { return motionPredictor(name, 0).has_value(); }

std::optional<MotionInput> findMotionInput(std::string_view text, const std::string& path,
                                           MotionLayout layout, std::size_t skipVolumes,
                                           std::size_t skipLastVolumes) {
  auto read = readAnyMotion(text, path, layout, skipVolumes, skipLastVolumes);
  if (std::holds_alternative<std::string>(read)) return std::nullopt;
  return std::get<MotionInput>(std::move(read));
}

MotionInput readMotionInput(std::string_view text, const std::string& path, MotionLayout layout,
                            std::size_t skipVolumes, std::size_t skipLastVolumes) {
  auto read = readAnyMotion(text, path, layout, skipVolumes, skipLastVolumes);
  if (const auto* none = std::get_if<std::string>(&read)) {
    throw std::runtime_error(path + ": no motion parameters: " + *none);
  }
  return std::get<MotionInput>(std::move(read));
}

MotionInput readMotionInputFile(const std::string& path, MotionLayout layout,
                                std::size_t skipVolumes, FileSystem& files,
                                std::size_t skipLastVolumes) {
  return readMotionInput(files.readFile(path), path, layout, skipVolumes, skipLastVolumes);
}

}  // namespace duv
