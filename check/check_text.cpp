#include <algorithm>
#include <cmath>
#include <ostream>

#include "check/cell_text.h"
#include "check/check_output.h"
#include "check/check_reasons.h"

namespace duv {
namespace {

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
  return fixedDecimals(std::abs(pair.r), 2) + " " + check.columns[pair.first].name + " ~ " +
         check.columns[pair.second].name;
}

std::string highestVifText(const DesignCheck& check, bool showAll) {
  const auto highest = showAll ? check.highestVif() : check.highestTaskVif();
  if (!highest) return "-";
  return fixedDecimals(*check.columns[*highest].vif, 1) + " " + check.columns[*highest].name;
}

void writeSummaryTable(const CheckRun& run, std::ostream& out) {
  std::vector<std::vector<std::string>> rows{
      {"file", "status", "df", "strongest |r|", "highest VIF"}};
  for (const auto& file : run.files) {
    const std::string status = statusName(statusOf(file));
    if (file.readError) {
      rows.push_back({file.path, status, "-", "-", "-"});
      continue;
    }
    rows.push_back({file.path, status, std::to_string(file.check.residualDegreesOfFreedom),
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
        << padded(contrast.estimable() ? fixedDecimals(contrast.vif, 2) : "-", 9)
        << padded(contrast.estimable() ? significantDigits(contrast.efficiency) : "-", 12)
        << padded(contrast.level ? levelName(*contrast.level) : "ok", 8)
        << file.contrastDefinitions[i].expression << '\n';
  }
}

// A main predictor that a nuisance pattern names shows as one.
const char* viewRoleName(const ColumnCheck& column) {
  return column.role == ColumnRole::main && !column.task ? "nuisance" : roleName(column);
}

void writePredictorTable(const DesignCheck& check, std::ostream& out) {
  std::size_t nameWidth = 9;
  for (const auto& column : check.columns) nameWidth = std::max(nameWidth, column.name.size());
  out << "\n  " << padded("predictor", nameWidth + 2) << padded("role", 10) << padded("R2", 7)
      << padded("VIF", 9) << "most correlated with\n";
  for (const auto& column : check.columns) {
    std::string line = "  " + padded(column.name, nameWidth + 2);
    if (column.kind != ColumnKind::varying) {
      line += padded(viewRoleName(column), 10) + kindName(column.kind);
    } else {
      line += padded(viewRoleName(column), 10) + padded(fixedDecimals(*column.rSquared, 3), 7) +
              padded(fixedDecimals(*column.vif, 2), 9) + partnersText(check, column);
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out << line << '\n';
  }
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
  out << file.path << ": " << statusName(statusOf(file));
  if (!levelOf(file)) {
    out << " (no warnings)\n";
  } else {
    out << " (" << warningCount(file, CheckLevel::error) << " error, "
        << warningCount(file, CheckLevel::high) << " high, "
        << warningCount(file, CheckLevel::medium) << " medium)\n";
  }
  // Why, before the details: what a reader acts on.
  for (const auto& reason : reasonsOf(file, run)) out << "  reason: " << reason << '\n';
  out << "  " << check.dataPoints << " data points, " << check.predictors() << " predictors ("
      << check.mainPredictors << " main, " << check.confounds << " confounds, " << check.constants
      << " constant)\n";
  out << "  rank " << check.rank << " of " << check.predictors() << ", residual degrees of freedom "
      << check.residualDegreesOfFreedom << ", condition number "
      << fixedDecimals(check.conditionNumber, 1) << '\n';
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
  if (!check.columns.empty()) writePredictorTable(check, out);
}

}  // namespace

void writeCheckText(const CheckRun& run, std::ostream& out) {
  writeSummaryTable(run, out);
  for (const auto& file : run.files) {
    out << '\n';
    writeFileDetails(file, run, out);
  }
}

}  // namespace duv
