#include "check/check_reasons.h"

#include <cmath>

#include "check/cell_text.h"

namespace duv {
namespace {

const std::string& nameOf(const DesignCheck& check, std::size_t position) {
  return check.columns[position].name;
}

bool isPair(const CheckWarning& warning) {
  return warning.kind == WarningKind::identical || warning.kind == WarningKind::correlation;
}

// A pair of a task predictor and a confound (or a main predictor a nuisance pattern names):
// the overlap that biases the task's estimates.
bool isTaskConfoundPair(const DesignCheck& check, const CheckWarning& warning) {
  return isPair(warning) &&
         check.columns[warning.columns[0]].task != check.columns[warning.columns[1]].task;
}

std::string pairText(const DesignCheck& check, const CheckWarning& warning) {
  auto first = warning.columns[0];
  auto second = warning.columns[1];
  if (!check.columns[first].task && check.columns[second].task) std::swap(first, second);
  const auto names = nameOf(check, first) + " ~ " + nameOf(check, second);
  if (warning.kind == WarningKind::identical) return names + " identical";
  return names + " r = " + fixedDecimals(warning.value, 2);
}

std::string dependencyText(const DesignCheck& check, const std::vector<std::size_t>& columns) {
  if (columns.size() == 1) return nameOf(check, columns.front()) + " all zero";
  bool allConstant = true;
  for (const auto p : columns)
    allConstant = allConstant && check.columns[p].kind == ColumnKind::constant;
  return listOfNames(check, columns) + (allConstant ? " all constant" : " linearly dependent");
}

std::string reasonText(const DesignMatrix& design, const DesignCheck& check,
                       const CheckWarning& warning) {
  switch (warning.kind) {
    case WarningKind::nonFinite:
      return nameOf(check, warning.columns.front()) + " holds NaN or inf";
    case WarningKind::degreesOfFreedom:
      return "no residual df: " + std::to_string(check.dataPoints) + " data points, " +
             std::to_string(design.values.size()) + " predictors";
    case WarningKind::dependency:
      return dependencyText(check, warning.columns);
    case WarningKind::identical:
    case WarningKind::correlation:
      return pairText(check, warning);
    case WarningKind::vif:
      return nameOf(check, warning.columns.front()) + " VIF " + fixedDecimals(warning.value, 1);
  }
  return "";
}

std::string contrastReason(const ContrastCheck& contrast) {
  if (!contrast.estimable()) return "contrast " + contrast.name + " not estimable";
  return "contrast " + contrast.name + " cVIF " + fixedDecimals(contrast.vif, 1);
}

// The reasons of one level: head motion, pairs of a task predictor and a confound, the
// design's other warnings (in their order: kind, then size), then the contrasts.
void addReasonsAt(CheckLevel level, const CheckedFile& file, std::vector<std::string>& reasons) {
  const auto& check = file.check;
  if (file.motion && levelOf(*file.motion) == level) {
    for (auto& reason : motionReasons(*file.motion)) reasons.push_back(std::move(reason));
  }
  for (const bool taskConfound : {true, false}) {
    for (const auto& warning : check.warnings) {
      if (!warning.counted || warning.level != level) continue;
      if (isTaskConfoundPair(check, warning) != taskConfound) continue;
      reasons.push_back(reasonText(file.design, check, warning));
    }
  }
  for (const auto& contrast : file.contrasts) {
    if (contrast.level == level) reasons.push_back(contrastReason(contrast));
  }
}

std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

}  // namespace

std::vector<std::string> reasonsOf(const CheckedFile& file, const CheckRun& run) {
  static_cast<void>(run);  // the levels are the file's own; the run's thresholds made them
  if (file.readError) return {oneLine(*file.readError)};
  std::vector<std::string> reasons;
  for (const auto level : {CheckLevel::error, CheckLevel::high, CheckLevel::medium}) {
    addReasonsAt(level, file, reasons);
  }
  return reasons;
}

}  // namespace duv
