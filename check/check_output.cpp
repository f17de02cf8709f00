#include "check/check_output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string_view>

namespace duv {
namespace {

using Json = nlohmann::ordered_json;

std::string formatted(double value, std::chars_format format, int precision) {
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  if (std::isnan(value)) return "nan";
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
  return std::string(buffer, result.ptr);
}

// Fixed decimals for people; locale-independent.
std::string fixed(double value, int decimals) {
  return formatted(value, std::chars_format::fixed, decimals);
}

// Six significant digits for scripts ("12.3457", "1e-09", "inf").
std::string general(double value) { return formatted(value, std::chars_format::general, 6); }

const std::string& nameOf(const DesignCheck& check, std::size_t position) {
  return check.columns[position].name;
}

// "A", "A and B", "A, B and C".
std::string listOfNames(const DesignCheck& check, const std::vector<std::size_t>& positions) {
  std::string text;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    if (i > 0) text += i + 1 == positions.size() ? " and " : ", ";
    text += nameOf(check, positions[i]);
  }
  return text;
}

const char* roleName(const ColumnCheck& column) {
  return column.role == ColumnRole::main ? "main" : "confound";
}

const char* kindName(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::varying:
      return "varying";
    case ColumnKind::constant:
      return "constant";
    case ColumnKind::zero:
      return "zero";
    case ColumnKind::nonFinite:
      return "non-finite";
  }
  return "";
}

const char* warningKindName(WarningKind kind) {
  switch (kind) {
    case WarningKind::nonFinite:
      return "non-finite";
    case WarningKind::degreesOfFreedom:
      return "degrees-of-freedom";
    case WarningKind::dependency:
      return "dependency";
    case WarningKind::identical:
      return "identical";
    case WarningKind::correlation:
      return "correlation";
    case WarningKind::vif:
      return "vif";
  }
  return "";
}

// The status over every finding, counted or not ("ok", a level, or "unreadable").
std::string statusOfAll(const CheckedFile& file) {
  if (file.readError) return file.checkFailed ? "failed" : "unreadable";
  auto level = file.check.levelOfAll();
  const auto beside = levelOf(file);
  if (beside && (!level || *beside > *level)) level = beside;
  return level ? levelName(*level) : "ok";
}

std::string dependencyText(const DesignCheck& check, const std::vector<std::size_t>& columns) {
  if (columns.size() == 1) return nameOf(check, columns.front()) + ": all zero";
  const bool allConstant = std::all_of(columns.begin(), columns.end(), [&check](std::size_t p) {
    return check.columns[p].kind == ColumnKind::constant;
  });
  if (allConstant) return listOfNames(check, columns) + ": both constant (one constant is enough)";
  return listOfNames(check, columns) + ": an exact linear dependency (rank-deficient)";
}

// --- text ---------------------------------------------------------------------------------

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// The task's view shows the strongest pair naming a task predictor and the highest VIF of a
// task predictor; showAll, those over all predictors.
std::string strongestPairText(const DesignCheck& check, bool showAll) {
  const auto& strongest = showAll ? check.strongestPair : check.strongestTaskPair;
  if (!strongest) return "-";
  const auto& pair = *strongest;
  return fixed(std::abs(pair.r), 2) + " " + nameOf(check, pair.first) + " ~ " +
         nameOf(check, pair.second);
}

std::string highestVifText(const DesignCheck& check, bool showAll) {
  const auto highest = showAll ? check.highestVif() : check.highestTaskVif();
  if (!highest) return "-";
  return fixed(*check.columns[*highest].vif, 1) + " " + nameOf(check, *highest);
}

void writeSummaryTable(const CheckRun& run, std::ostream& out) {
  std::vector<std::vector<std::string>> rows{
      {"file", "status", "df", "strongest |r|", "highest VIF"}};
  for (const auto& file : run.files) {
    if (file.readError) {
      rows.push_back({file.path, statusOf(file), "-", "-", "-"});
      continue;
    }
    rows.push_back({file.path, statusOf(file), std::to_string(file.check.residualDegreesOfFreedom),
                    strongestPairText(file.check, run.showAll),
                    highestVifText(file.check, run.showAll)});
  }
  std::vector<std::size_t> widths(rows.front().size(), 0);
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += c + 1 == row.size() ? row[c] : padded(row[c], widths[c] + 2);
    }
    out << line << '\n';
  }
}

std::string partnersText(const DesignCheck& check, const ColumnCheck& column) {
  std::string text;
  for (const auto& partner : column.partners) {
    if (!text.empty()) text += ", ";
    text += nameOf(check, partner.column) + " (" + fixed(partner.r, 2) + ")";
  }
  return text;
}

// One line per contrast: its name, estimability, contrast VIF, efficiency, level and expression.
void writeContrastTable(const CheckedFile& file, std::ostream& out) {
  std::size_t nameWidth = 8;
  for (const auto& contrast : file.contrasts) nameWidth = std::max(nameWidth, contrast.name.size());
  out << "\n  " << padded("contrast", nameWidth + 2) << padded("estimable", 11) << padded("cVIF", 9)
      << padded("efficiency", 12) << padded("level", 8) << "expression\n";
  for (std::size_t i = 0; i < file.contrasts.size(); ++i) {
    const auto& contrast = file.contrasts[i];
    out << "  " << padded(contrast.name, nameWidth + 2)
        << padded(contrast.estimable() ? "yes" : "no", 11)
        << padded(contrast.estimable() ? fixed(contrast.vif, 2) : "-", 9)
        << padded(contrast.estimable() ? general(contrast.efficiency) : "-", 12)
        << padded(contrast.level ? levelName(*contrast.level) : "ok", 8)
        << file.contrastDefinitions[i].expression << '\n';
  }
}

// A main predictor that a nuisance pattern names shows as one.
const char* viewRoleName(const ColumnCheck& column) {
  return column.role == ColumnRole::main && !column.task ? "nuisance" : roleName(column);
}

void writeFileDetails(const CheckedFile& file, const CheckRun& run, std::ostream& out) {
  if (file.readError) {
    out << file.path << (file.checkFailed ? ": cannot be checked: " : ": cannot be read: ")
        << *file.readError << '\n';
    return;
  }
  const auto& check = file.check;
  const auto shown = shownWarnings(check, run.showAll);
  const auto summary = run.showAll ? std::nullopt : confoundSummary(check, run.thresholds);
  out << file.path << ": " << statusOf(file);
  if (!levelOf(file)) {
    out << " (no warnings)\n";
  } else {
    out << " (" << warningCount(file, CheckLevel::error) << " error, "
        << warningCount(file, CheckLevel::high) << " high, "
        << warningCount(file, CheckLevel::medium) << " medium)\n";
  }
  out << "  " << check.dataPoints << " data points, " << check.predictors() << " predictors ("
      << check.mainPredictors << " main, " << check.confounds << " confounds, " << check.constants
      << " constant)\n";
  out << "  rank " << check.rank << " of " << check.predictors() << ", residual degrees of freedom "
      << check.residualDegreesOfFreedom << ", condition number " << fixed(check.conditionNumber, 1)
      << '\n';
  const auto motionLevel = file.motion ? levelOf(*file.motion) : std::nullopt;
  const bool contrastWarnings =
      std::any_of(file.contrasts.begin(), file.contrasts.end(),
                  [](const ContrastCheck& contrast) { return contrast.level.has_value(); });
  if (!shown.empty() || summary || motionLevel || contrastWarnings) out << '\n';
  for (const auto* warning : shown) {
    out << "  " << padded(upper(levelName(warning->level)), 8)
        << warningText(file.design, check, *warning) << '\n';
  }
  for (const auto& contrast : file.contrasts) {
    if (!contrast.level) continue;
    out << "  " << padded(upper(levelName(*contrast.level)), 8)
        << contrastWarningText(check, contrast) << '\n';
  }
  if (motionLevel) {
    out << "  " << padded(upper(levelName(*motionLevel)), 8)
        << motionWarningText(*file.motion, run.motion) << '\n';
  }
  if (summary) out << "  " << *summary << '\n';
  if (file.motion) {
    out << "\n  head motion (" << file.motion->path << "): " << motionText(*file.motion, run.motion)
        << '\n';
  }
  if (!file.contrasts.empty()) writeContrastTable(file, out);
  if (check.columns.empty()) return;
  std::size_t nameWidth = 9;
  for (const auto& column : check.columns) nameWidth = std::max(nameWidth, column.name.size());
  out << "\n  " << padded("predictor", nameWidth + 2) << padded("role", 10) << padded("R2", 7)
      << padded("VIF", 9) << "most correlated with\n";
  for (const auto& column : check.columns) {
    std::string line = "  " + padded(column.name, nameWidth + 2);
    if (column.kind != ColumnKind::varying) {
      line += padded(viewRoleName(column), 10) + kindName(column.kind);
    } else {
      line += padded(viewRoleName(column), 10) + padded(fixed(*column.rSquared, 3), 7) +
              padded(fixed(*column.vif, 2), 9) + partnersText(check, column);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  }
}

// --- TSV ----------------------------------------------------------------------------------

// Tabs and line breaks inside a field would break the table.
std::string field(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// clang-format off
constexpr const char* kTsvColumns[] = {
    "file", "status", "data_points", "predictors", "rank", "residual_df", "condition_number",
    "position", "predictor", "role", "kind", "r2", "vif", "level", "partner", "partner_r",
    "row", "task", "counted_level",
    "motion_file", "mean_fd", "max_fd", "fd_above", "flagged", "flagged_share", "scrubbed_df",
    "contrast", "expression", "estimable", "contrast_vif", "efficiency"};
// clang-format on

// The fields of the columns added after the first sixteen, by name.
constexpr std::size_t kTsvColumn(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kTsvColumns); ++i) {
    if (kTsvColumns[i] == name) return i;
  }
  return std::size(kTsvColumns);
}

// A design's head motion: the file fields, its level, and the motion columns.
std::vector<std::string> motionRow(std::vector<std::string> row, const MotionCheck& motion) {
  row.resize(std::size(kTsvColumns));
  const auto level = levelOf(motion);
  row[kTsvColumn("level")] = level ? levelName(*level) : "ok";
  row[kTsvColumn("counted_level")] = row[kTsvColumn("level")];
  row[kTsvColumn("row")] = "motion";
  const auto& s = motion.summary;
  row[kTsvColumn("motion_file")] = motion.path;
  row[kTsvColumn("mean_fd")] = general(s.meanDisplacement);
  row[kTsvColumn("max_fd")] = general(s.maxDisplacement);
  std::string above;
  for (const auto& count : s.aboveThresholds) {
    above +=
        (above.empty() ? "" : ",") + general(count.threshold) + ":" + std::to_string(count.count);
  }
  row[kTsvColumn("fd_above")] = above;
  row[kTsvColumn("flagged")] = std::to_string(s.flaggedVolumes.size());
  row[kTsvColumn("flagged_share")] = general(s.flaggedShare);
  row[kTsvColumn("scrubbed_df")] = std::to_string(motion.scrubbedDegreesOfFreedom);
  return row;
}

// A contrast of a design: the file fields, its level, and the contrast columns.
std::vector<std::string> contrastRow(std::vector<std::string> row, const ContrastCheck& contrast,
                                     const Contrast& definition) {
  row.resize(std::size(kTsvColumns));
  row[kTsvColumn("level")] = contrast.level ? levelName(*contrast.level) : "ok";
  row[kTsvColumn("counted_level")] = row[kTsvColumn("level")];
  row[kTsvColumn("row")] = "contrast";
  row[kTsvColumn("contrast")] = contrast.name;
  row[kTsvColumn("expression")] = definition.expression;
  row[kTsvColumn("estimable")] = contrast.estimable() ? "yes" : "no";
  row[kTsvColumn("contrast_vif")] = general(contrast.vif);
  row[kTsvColumn("efficiency")] = contrast.estimable() ? general(contrast.efficiency) : "";
  return row;
}

void writeTsvRow(const std::vector<std::string>& fields, std::ostream& out) {
  for (std::size_t i = 0; i < fields.size(); ++i) out << (i == 0 ? "" : "\t") << field(fields[i]);
  out << '\n';
}

// --- JSON ---------------------------------------------------------------------------------

// JSON has no infinity: an infinite value is null.
Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json namesOf(const DesignCheck& check, const std::vector<std::size_t>& positions) {
  Json names = Json::array();
  for (const std::size_t p : positions) names.push_back(nameOf(check, p));
  return names;
}

Json columnJson(const DesignCheck& check, std::size_t p) {
  const auto& column = check.columns[p];
  Json json;
  json["position"] = p + 1;
  json["name"] = column.name;
  json["role"] = roleName(column);
  json["kind"] = kindName(column.kind);
  json["r2"] = column.rSquared ? number(*column.rSquared) : Json(nullptr);
  json["vif"] = column.vif ? number(*column.vif) : Json(nullptr);
  Json partners = Json::array();
  for (const auto& partner : column.partners) {
    partners.push_back({{"name", nameOf(check, partner.column)},
                        {"position", partner.column + 1},
                        {"r", partner.r}});
  }
  json["partners"] = std::move(partners);
  json["task"] = column.task;
  return json;
}

Json warningJson(const CheckedFile& file, const CheckWarning& warning) {
  Json json;
  json["level"] = levelName(warning.level);
  json["kind"] = warningKindName(warning.kind);
  json["predictors"] = namesOf(file.check, warning.columns);
  const bool hasValue =
      warning.kind != WarningKind::dependency && warning.kind != WarningKind::nonFinite;
  json["value"] = hasValue ? number(warning.value) : Json(nullptr);
  json["message"] = warningText(file.design, file.check, warning);
  json["counted"] = warning.counted;
  return json;
}

Json pairJson(const DesignCheck& check, const std::optional<ColumnPair>& pair) {
  if (!pair) return nullptr;
  return {{"first", nameOf(check, pair->first)},
          {"second", nameOf(check, pair->second)},
          {"r", pair->r}};
}

Json vifJson(const DesignCheck& check, std::optional<std::size_t> column) {
  if (!column) return nullptr;
  return {{"predictor", nameOf(check, *column)}, {"vif", number(*check.columns[*column].vif)}};
}

Json countsJson(const DesignCheck& check, bool countedOnly) {
  Json counts;
  for (const auto level : {CheckLevel::error, CheckLevel::high, CheckLevel::medium}) {
    counts[levelName(level)] = std::count_if(
        check.warnings.begin(), check.warnings.end(),
        [&](const CheckWarning& w) { return w.level == level && (w.counted || !countedOnly); });
  }
  return counts;
}

Json motionJson(const MotionCheck& motion) {
  const auto& s = motion.summary;
  Json above = Json::array();
  for (const auto& count : s.aboveThresholds) {
    above.push_back(
        {{"threshold", count.threshold}, {"count", count.count}, {"share", count.share}});
  }
  Json flagged = Json::array();
  for (const auto volume : s.flaggedVolumes) flagged.push_back(volume + 1);
  const auto level = levelOf(motion);
  return {{"file", motion.path},
          {"volumes", s.volumes},
          {"mean_fd", s.meanDisplacement},
          {"max_fd", s.maxDisplacement},
          {"above", std::move(above)},
          {"flagged_volumes", std::move(flagged)},
          {"flagged_share", s.flaggedShare},
          {"spikes_added", motion.spikesAdded},
          {"scrubbed_residual_df", motion.scrubbedDegreesOfFreedom},
          {"level", level ? Json(levelName(*level)) : Json(nullptr)},
          {"fd", motion.displacement}};
}

Json contrastJson(const CheckedFile& file, std::size_t index) {
  const auto& contrast = file.contrasts[index];
  const auto& check = file.check;
  Json weights = Json::object();
  for (const auto& term : file.contrastDefinitions[index].terms) {
    weights[term.predictor] = term.weight;
  }
  Json dependencies = Json::array();
  for (const auto& dependency : contrast.dependencies) {
    dependencies.push_back(namesOf(check, dependency));
  }
  return {{"name", contrast.name},
          {"expression", file.contrastDefinitions[index].expression},
          {"weights", std::move(weights)},
          {"estimable", contrast.estimable()},
          {"dependencies", std::move(dependencies)},
          {"non_finite", namesOf(check, contrast.nonFinite)},
          {"contrast_vif", number(contrast.vif)},
          {"efficiency", contrast.estimable() ? number(contrast.efficiency) : Json(nullptr)},
          {"level", contrast.level ? Json(levelName(*contrast.level)) : Json(nullptr)},
          {"message", contrast.level ? Json(contrastWarningText(check, contrast)) : Json(nullptr)}};
}

Json fileJson(const CheckedFile& file, const CheckThresholds& thresholds) {
  Json json;
  json["file"] = file.path;
  json["status"] = statusOf(file);
  if (file.readError) {
    json["error"] = *file.readError;
    json["status_all"] = statusOfAll(file);
    return json;
  }
  const auto& check = file.check;
  json["data_points"] = check.dataPoints;
  json["predictors"] = check.predictors();
  json["main"] = check.mainPredictors;
  json["confounds"] = check.confounds;
  json["constant"] = check.constants;
  json["rank"] = check.rank;
  json["residual_df"] = check.residualDegreesOfFreedom;
  json["condition_number"] = number(check.conditionNumber);
  json["counts"] = countsJson(check, true);
  json["strongest_pair"] = pairJson(check, check.strongestPair);
  json["highest_vif"] = vifJson(check, check.highestVif());
  Json warnings = Json::array();
  for (const auto& warning : check.warnings) warnings.push_back(warningJson(file, warning));
  json["warnings"] = std::move(warnings);
  Json dependencies = Json::array();
  for (const auto& dependency : check.dependencies) {
    dependencies.push_back(namesOf(check, dependency));
  }
  json["dependencies"] = std::move(dependencies);
  Json columns = Json::array();
  for (std::size_t p = 0; p < check.columns.size(); ++p) columns.push_back(columnJson(check, p));
  json["columns"] = std::move(columns);
  json["status_all"] = statusOfAll(file);
  json["counts_all"] = countsJson(check, false);
  json["strongest_task_pair"] = pairJson(check, check.strongestTaskPair);
  json["highest_task_vif"] = vifJson(check, check.highestTaskVif());
  const auto summary = confoundSummary(check, thresholds);
  json["confound_summary"] = summary ? Json(*summary) : Json(nullptr);
  json["motion"] = file.motion ? motionJson(*file.motion) : Json(nullptr);
  Json contrasts = Json::array();
  for (std::size_t i = 0; i < file.contrasts.size(); ++i)
    contrasts.push_back(contrastJson(file, i));
  json["contrasts"] = std::move(contrasts);
  return json;
}

}  // namespace

std::string fixedDecimals(double value, int decimals) { return fixed(value, decimals); }

std::vector<std::optional<CheckLevel>> columnLevels(const DesignCheck& check, bool countedOnly) {
  std::vector<std::optional<CheckLevel>> levels(check.columns.size());
  for (const auto& warning : check.warnings) {
    if (countedOnly && !warning.counted) continue;
    for (const std::size_t p : warning.columns) {
      if (!levels[p] || warning.level > *levels[p]) levels[p] = warning.level;
    }
  }
  return levels;
}

std::size_t warningCount(const CheckedFile& file, CheckLevel level) {
  const auto& warnings = file.check.warnings;
  auto count = static_cast<std::size_t>(
      std::count_if(warnings.begin(), warnings.end(),
                    [level](const CheckWarning& w) { return w.counted && w.level == level; }));
  for (const auto& contrast : file.contrasts) {
    if (contrast.level == level) ++count;
  }
  if (file.motion && levelOf(*file.motion) == level) ++count;
  return count;
}

namespace {

void keepWorst(std::optional<CheckLevel>& worst, std::optional<CheckLevel> level) {
  if (level && (!worst || *level > *worst)) worst = level;
}

// The contrasts' and head motion's worst level: they always count.
std::optional<CheckLevel> levelBesideDesign(const CheckedFile& file) {
  std::optional<CheckLevel> level;
  for (const auto& contrast : file.contrasts) keepWorst(level, contrast.level);
  if (file.motion) keepWorst(level, levelOf(*file.motion));
  return level;
}

}  // namespace

std::optional<CheckLevel> levelOf(const CheckedFile& file) {
  auto level = file.check.level();
  keepWorst(level, levelBesideDesign(file));
  return level;
}

std::vector<const CheckWarning*> shownWarnings(const DesignCheck& check, bool showAll) {
  std::vector<const CheckWarning*> shown;
  for (const auto& warning : check.warnings) {
    if (showAll || warning.counted) shown.push_back(&warning);
  }
  return shown;
}

std::optional<std::string> confoundSummary(const DesignCheck& check,
                                           const CheckThresholds& thresholds) {
  std::size_t highPairs = 0;
  std::size_t mediumPairs = 0;
  std::optional<std::size_t> highestVif;
  for (const auto& warning : check.warnings) {
    if (warning.counted) continue;
    if (warning.kind == WarningKind::correlation) {
      ++(warning.level == CheckLevel::high ? highPairs : mediumPairs);
    } else if (warning.kind == WarningKind::vif) {
      const auto p = warning.columns.front();
      if (!highestVif || *check.columns[p].vif > *check.columns[*highestVif].vif) highestVif = p;
    }
  }
  if (highPairs == 0 && mediumPairs == 0 && !highestVif) return std::nullopt;
  std::vector<std::string> parts;
  const auto pairs = [](std::size_t count) { return count == 1 ? " pair" : " pairs"; };
  if (highPairs > 0) {
    parts.push_back(std::to_string(highPairs) + pairs(highPairs) +
                    " at |r| >= " + fixed(thresholds.highCorrelation, 2));
  }
  if (mediumPairs > 0) {
    parts.push_back(std::to_string(mediumPairs) + (highPairs > 0 ? "" : pairs(mediumPairs)) +
                    " at |r| >= " + fixed(thresholds.mediumCorrelation, 2));
  }
  if (highestVif) {
    parts.push_back("highest VIF " + fixed(*check.columns[*highestVif].vif, 1) + " (" +
                    nameOf(check, *highestVif) + ")");
  }
  std::string text = "confounds: ";
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? ", " : "") + parts[i];
  return text + "; expected among nuisance terms";
}

std::string statusOf(const CheckedFile& file) {
  if (file.readError) return file.checkFailed ? "failed" : "unreadable";
  const auto level = levelOf(file);
  return level ? levelName(*level) : "ok";
}

std::optional<CheckLevel> worstLevel(const CheckRun& run) {
  std::optional<CheckLevel> worst;
  for (const auto& file : run.files) {
    if (file.readError) continue;
    const auto level = levelOf(file);
    if (level && (!worst || *level > *worst)) worst = level;
  }
  return worst;
}

std::string warningText(const DesignMatrix& design, const DesignCheck& check,
                        const CheckWarning& warning) {
  const auto names = [&](std::size_t i) { return nameOf(check, warning.columns[i]); };
  switch (warning.kind) {
    case WarningKind::nonFinite:
      return names(0) + ": holds values that are not numbers";
    case WarningKind::degreesOfFreedom: {
      std::string text = "no residual degrees of freedom: " + std::to_string(check.dataPoints) +
                         " data points for " + std::to_string(design.values.size()) + " predictors";
      if (check.dataPointsExhausted) text += ", every varying one a combination of the others";
      return text;
    }
    case WarningKind::dependency:
      return dependencyText(check, warning.columns);
    case WarningKind::identical:
      return names(0) + " and " + names(1) + ": identical columns (r = " + fixed(warning.value, 3) +
             ")";
    case WarningKind::correlation:
      return names(0) + " and " + names(1) + ": r = " + fixed(warning.value, 2);
    case WarningKind::vif: {
      const auto& column = check.columns[warning.columns.front()];
      std::string text = names(0) + ": VIF " + fixed(warning.value, 1) + " (R2 " +
                         fixed(column.rSquared.value_or(0.0), 3) + ")";
      if (!column.partners.empty()) text += ", most correlated with " + partnersText(check, column);
      return text;
    }
  }
  return "";
}

std::string contrastWarningText(const DesignCheck& check, const ContrastCheck& contrast) {
  std::string text = "contrast \"" + contrast.name + "\": ";
  if (contrast.estimable()) return text + "contrast VIF " + fixed(contrast.vif, 1);
  text += "not estimable:";
  for (std::size_t i = 0; i < contrast.dependencies.size(); ++i) {
    const auto& dependency = contrast.dependencies[i];
    text += (i == 0 ? " it falls into " : "; and into ");
    text += dependency.size() == 1 ? nameOf(check, dependency.front()) + ", all zero"
                                   : "the dependency of " + listOfNames(check, dependency);
  }
  if (!contrast.nonFinite.empty()) {
    text += std::string(contrast.dependencies.empty() ? " it weighs " : "; it weighs ") +
            listOfNames(check, contrast.nonFinite) + ", which hold values that are not numbers";
  }
  return text;
}

void writeCheckText(const CheckRun& run, std::ostream& out) {
  writeSummaryTable(run, out);
  for (const auto& file : run.files) {
    out << '\n';
    writeFileDetails(file, run, out);
  }
}

void writeCheckTsv(const CheckRun& run, std::ostream& out) {
  writeTsvRow({std::begin(kTsvColumns), std::end(kTsvColumns)}, out);
  for (const auto& file : run.files) {
    if (file.readError) {
      std::vector<std::string> row(std::size(kTsvColumns));
      row[0] = file.path;
      row[1] = statusOf(file);
      row[kTsvColumn("row")] = "file";
      writeTsvRow(row, out);
      continue;
    }
    const auto& check = file.check;
    const std::vector<std::string> design{file.path,
                                          statusOf(file),
                                          std::to_string(check.dataPoints),
                                          std::to_string(check.predictors()),
                                          std::to_string(check.rank),
                                          std::to_string(check.residualDegreesOfFreedom),
                                          general(check.conditionNumber)};
    if (check.columns.empty()) {
      auto row = design;
      row.resize(std::size(kTsvColumns));
      row[kTsvColumn("row")] = "file";
      writeTsvRow(row, out);
    }
    const auto levels = columnLevels(check);
    const auto countedLevels = columnLevels(check, true);
    for (std::size_t p = 0; p < check.columns.size(); ++p) {
      const auto& column = check.columns[p];
      auto row = design;
      row.push_back(std::to_string(p + 1));
      row.push_back(column.name);
      row.push_back(roleName(column));
      row.push_back(kindName(column.kind));
      row.push_back(column.rSquared ? general(*column.rSquared) : "");
      row.push_back(column.vif ? general(*column.vif) : "");
      row.push_back(levels[p] ? levelName(*levels[p]) : "ok");
      row.push_back(column.partners.empty() ? "" : nameOf(check, column.partners[0].column));
      row.push_back(column.partners.empty() ? "" : general(column.partners[0].r));
      row.push_back("predictor");
      row.push_back(column.task ? "yes" : "no");
      row.push_back(countedLevels[p] ? levelName(*countedLevels[p]) : "ok");
      row.resize(std::size(kTsvColumns));
      writeTsvRow(row, out);
    }
    if (file.motion) writeTsvRow(motionRow(design, *file.motion), out);
    for (std::size_t i = 0; i < file.contrasts.size(); ++i) {
      writeTsvRow(contrastRow(design, file.contrasts[i], file.contrastDefinitions[i]), out);
    }
  }
}

void writeCheckJson(const CheckRun& run, std::ostream& out) {
  Json json;
  json["schema"] = "duvendal-check/2";
  const auto& t = run.thresholds;
  json["thresholds"] = {{"identical_r", kIdenticalCorrelation},
                        {"high_r", t.highCorrelation},
                        {"medium_r", t.mediumCorrelation},
                        {"high_vif", t.highVif},
                        {"medium_vif", t.mediumVif},
                        {"hide_confound_pairs", t.hideConfoundPairs},
                        {"nuisance", t.nuisancePatterns},
                        {"fd_thresholds", run.motion.thresholds},
                        {"spike_fd", run.motion.spikeThreshold},
                        {"max_scrubbed", run.motion.maxFlaggedShare},
                        {"high_cvif", run.contrastThresholds.highVif},
                        {"medium_cvif", run.contrastThresholds.mediumVif}};
  const auto worst = worstLevel(run);
  json["status"] = worst ? levelName(*worst) : "ok";
  Json files = Json::array();
  for (const auto& file : run.files) files.push_back(fileJson(file, run.thresholds));
  json["files"] = std::move(files);
  // Names come from files of any encoding: bytes that are not UTF-8 become U+FFFD.
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace duv
