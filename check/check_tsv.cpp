#include <string_view>

#include "check/cell_text.h"
#include "check/check_output.h"
#include "check/check_reasons.h"

namespace duv {
namespace {

// clang-format off
constexpr const char* kTsvColumns[] = {
    "file", "status", "data_points", "predictors", "rank", "residual_df", "condition_number",
    "position", "predictor", "role", "kind", "r2", "vif", "level", "partner", "partner_r",
    "row", "task", "counted_level",
    "motion_file", "mean_fd", "max_fd", "fd_above", "flagged", "flagged_share", "scrubbed_df",
    "contrast", "expression", "estimable", "contrast_vif", "efficiency",
    "reasons"};
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
  row[kTsvColumn("mean_fd")] = significantDigits(s.meanDisplacement);
  row[kTsvColumn("max_fd")] = significantDigits(s.maxDisplacement);
  std::string above;
  for (const auto& count : s.aboveThresholds) {
    above += (above.empty() ? "" : ",") + significantDigits(count.threshold) + ":" +
             std::to_string(count.count);
  }
  row[kTsvColumn("fd_above")] = above;
  row[kTsvColumn("flagged")] = std::to_string(s.flaggedVolumes.size());
  row[kTsvColumn("flagged_share")] = significantDigits(s.flaggedShare);
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
  row[kTsvColumn("contrast_vif")] = significantDigits(contrast.vif);
  row[kTsvColumn("efficiency")] =
      contrast.estimable() ? significantDigits(contrast.efficiency) : "";
  return row;
}

}  // namespace

void writeCheckTsv(const CheckRun& run, std::ostream& out) {
  writeTsvRow({std::begin(kTsvColumns), std::end(kTsvColumns)}, out);
  for (const auto& file : run.files) {
    // Every row of a file carries its reasons, as it carries its status.
    std::string reasons;
    for (const auto& reason : reasonsOf(file, run)) {
      reasons += (reasons.empty() ? "" : "; ") + reason;
    }
    const auto writeRow = [&reasons, &out](std::vector<std::string> row) {
      row.resize(std::size(kTsvColumns));
      row[kTsvColumn("reasons")] = reasons;
      writeTsvRow(row, out);
    };
    if (file.readError) {
      std::vector<std::string> row(std::size(kTsvColumns));
      row[0] = file.path;
      row[1] = statusName(statusOf(file));
      row[kTsvColumn("row")] = "file";
      writeRow(row);
      continue;
    }
    const auto& check = file.check;
    const std::vector<std::string> design{file.path,
                                          statusName(statusOf(file)),
                                          std::to_string(check.dataPoints),
                                          std::to_string(check.predictors()),
                                          std::to_string(check.rank),
                                          std::to_string(check.residualDegreesOfFreedom),
                                          significantDigits(check.conditionNumber)};
    if (check.columns.empty()) {
      auto row = design;
      row.resize(std::size(kTsvColumns));
      row[kTsvColumn("row")] = "file";
      writeRow(row);
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
      row.push_back(column.rSquared ? significantDigits(*column.rSquared) : "");
      row.push_back(column.vif ? significantDigits(*column.vif) : "");
      row.push_back(levels[p] ? levelName(*levels[p]) : "ok");
      row.push_back(column.partners.empty() ? "" : check.columns[column.partners[0].column].name);
      row.push_back(column.partners.empty() ? "" : significantDigits(column.partners[0].r));
      row.push_back("predictor");
      row.push_back(column.task ? "yes" : "no");
      row.push_back(countedLevels[p] ? levelName(*countedLevels[p]) : "ok");
      writeRow(row);
    }
    if (file.motion) writeRow(motionRow(design, *file.motion));
    for (std::size_t i = 0; i < file.contrasts.size(); ++i) {
      writeRow(contrastRow(design, file.contrasts[i], file.contrastDefinitions[i]));
    }
  }
}

}  // namespace duv
