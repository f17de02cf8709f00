#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <ostream>

#include "check/check_output.h"
#include "check/check_reasons.h"

namespace duv {
namespace {

using Json = nlohmann::ordered_json;

const std::string& nameOf(const DesignCheck& check, std::size_t position) {
  return check.columns[position].name;
}

// JSON has no infinity: an infinite value is null.
Json number(double value) { return std::isfinite(value) ? Json(value) : Json(nullptr); }

Json optionalNumber(const std::optional<double>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json shareLimitJson(const std::optional<ShareLimit>& limit) {
  if (!limit) return nullptr;
  return {{"fd", limit->threshold}, {"share", limit->share}};
}

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

Json fileJson(const CheckedFile& file, const CheckRun& run) {
  const auto& thresholds = run.thresholds;
  Json json;
  json["file"] = file.path;
  json["status"] = statusName(statusOf(file));
  json["reasons"] = reasonsOf(file, run);
  if (file.readError) {
    json["error"] = *file.readError;
    json["status_all"] = statusName(statusOfAll(file));
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
  json["status_all"] = statusName(statusOfAll(file));
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

void writeCheckJson(const CheckRun& run, std::ostream& out) {
  Json json;
  json["schema"] = "duvendal-check/2";
  const auto& t = run.thresholds;
  const auto& limits = run.motion.limits;
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
                        {"medium_cvif", run.contrastThresholds.mediumVif},
                        {"motion_rule", motionRuleName(limits.rule)},
                        {"max_mean_fd", optionalNumber(limits.meanDisplacement)},
                        {"max_fd", optionalNumber(limits.largestDisplacement)},
                        {"max_share_above", shareLimitJson(limits.shareAbove)}};
  const auto worst = worstLevel(run);
  json["status"] = worst ? levelName(*worst) : "ok";
  Json files = Json::array();
  for (const auto& file : run.files) files.push_back(fileJson(file, run));
  json["files"] = std::move(files);
  // Names come from files of any encoding: bytes that are not UTF-8 become U+FFFD.
  out << json.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace duv
