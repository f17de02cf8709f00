#include "check/check_run.h"

#include <algorithm>
#include <cmath>

#include "check/cell_text.h"

namespace duv {
namespace {

const std::string& nameOf(const DesignCheck& check, std::size_t position) {
  return check.columns[position].name;
}

std::string dependencyText(const DesignCheck& check, const std::vector<std::size_t>& columns) {
  if (columns.size() == 1) return nameOf(check, columns.front()) + ": all zero";
  const bool allConstant = std::all_of(columns.begin(), columns.end(), [&check](std::size_t p) {
    return check.columns[p].kind == ColumnKind::constant;
  });
  if (allConstant) return listOfNames(check, columns) + ": both constant (one constant is enough)";
  return listOfNames(check, columns) + ": an exact linear dependency (rank-deficient)";
}

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

// Why a file has no level: it was not read, or read but not checked.
CheckStatus statusOfUnread(const CheckedFile& file) {
  return file.checkFailed ? CheckStatus::failed : CheckStatus::unreadable;
}

}  // namespace

std::string listOfNames(const DesignCheck& check, const std::vector<std::size_t>& positions) {
  std::string text;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    if (i > 0) text += i + 1 == positions.size() ? " and " : ", ";
    text += nameOf(check, positions[i]);
  }
  return text;
}

std::optional<CheckLevel> levelOf(const CheckedFile& file) {
  auto level = file.check.level();
  keepWorst(level, levelBesideDesign(file));
  return level;
}

CheckStatus statusOf(const CheckedFile& file) {
  if (file.readError) return statusOfUnread(file);
  return statusOfLevel(levelOf(file));
}

CheckStatus statusOfAll(const CheckedFile& file) {
  if (file.readError) return statusOfUnread(file);
  auto level = file.check.levelOfAll();
  keepWorst(level, levelOf(file));
  return statusOfLevel(level);
}

std::optional<CheckLevel> worstLevel(const CheckRun& run) {
  std::optional<CheckLevel> worst;
  for (const auto& file : run.files) {
    if (!file.readError) keepWorst(worst, levelOf(file));
  }
  return worst;
}

std::vector<std::optional<CheckLevel>> columnLevels(const DesignCheck& check, bool countedOnly) {
  std::vector<std::optional<CheckLevel>> levels(check.columns.size());
  for (const auto& warning : check.warnings) {
    if (countedOnly && !warning.counted) continue;
    for (const std::size_t p : warning.columns) keepWorst(levels[p], warning.level);
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
                    " at |r| >= " + fixedDecimals(thresholds.highCorrelation, 2));
  }
  if (mediumPairs > 0) {
    parts.push_back(std::to_string(mediumPairs) + (highPairs > 0 ? "" : pairs(mediumPairs)) +
                    " at |r| >= " + fixedDecimals(thresholds.mediumCorrelation, 2));
  }
  if (highestVif) {
    parts.push_back("highest VIF " + fixedDecimals(*check.columns[*highestVif].vif, 1) + " (" +
                    nameOf(check, *highestVif) + ")");
  }
  std::string text = "confounds: ";
  for (std::size_t i = 0; i < parts.size(); ++i) text += (i > 0 ? ", " : "") + parts[i];
  return text + "; expected among nuisance terms";
}

std::string contrastWarningText(const DesignCheck& check, const ContrastCheck& contrast) {
  std::string text = "contrast \"" + contrast.name + "\": ";
  if (contrast.estimable()) return text + "contrast VIF " + fixedDecimals(contrast.vif, 1);
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
      return names(0) + " and " + names(1) +
             ": identical columns (r = " + fixedDecimals(warning.value, 3) + ")";
    case WarningKind::correlation:
      return names(0) + " and " + names(1) + ": r = " + fixedDecimals(warning.value, 2);
    case WarningKind::vif: {
      const auto& column = check.columns[warning.columns.front()];
      std::string text = names(0) + ": VIF " + fixedDecimals(warning.value, 1) + " (R2 " +
                         fixedDecimals(column.rSquared.value_or(0.0), 3) + ")";
      if (!column.partners.empty()) text += ", most correlated with " + partnersText(check, column);
      return text;
    }
  }
  return "";
}

std::string partnersText(const DesignCheck& check, const ColumnCheck& column) {
  std::string text;
  for (const auto& partner : column.partners) {
    if (!text.empty()) text += ", ";
    text += nameOf(check, partner.column) + " (" + fixedDecimals(partner.r, 2) + ")";
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

}  // namespace duv
