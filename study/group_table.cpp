#include "study/group_table.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <set>
#include <utility>

#include "check/cell_text.h"
#include "design/text.h"
#include "study/run_record_format.h"

namespace duv {
namespace {

using Kind = GroupColumnKind;

// The names in first-seen order over all runs, each once.
template <typename NamesOf>
std::vector<std::string> unionOf(const std::vector<RunRecord>& runs, NamesOf namesOf) {
  std::vector<std::string> names;
  std::set<std::string> seen;
  for (const auto& run : runs) {
    for (const std::string& name : namesOf(run)) {
      if (seen.insert(name).second) names.push_back(name);
    }
  }
  return names;
}

// The columns in their order; a header that repeats an earlier one gets ".2", ".3", ...
std::vector<GroupColumn> columnsOf(const std::vector<RunRecord>& runs) {
  std::vector<GroupColumn> columns;
  const auto add = [&](const std::string& name, Kind kind) {
    columns.push_back({name, kind, name});
  };
  for (const auto& field : unionOf(runs, [](const RunRecord& run) {
         std::vector<std::string> names;
         for (const auto& [name, value] : run.fields) names.push_back(name);
         return names;
       })) {
    add(field, Kind::field);
  }
  add("name", Kind::name);
  add("status", Kind::status);
  add("data_points", Kind::count);
  add("predictors", Kind::count);
  add("residual_df", Kind::count);
  add("highest_task_vif", Kind::vif);
  add("highest_task_vif_predictor", Kind::predictor);
  add("strongest_task_confound_r", Kind::correlation);
  add("task_predictor", Kind::predictor);
  add("confound", Kind::predictor);
  add("mean_fd", Kind::displacement);
  add("max_fd", Kind::displacement);
  add("spikes", Kind::count);
  for (const auto& contrast : unionOf(runs, [](const RunRecord& run) {
         std::vector<std::string> names;
         for (const auto& c : run.contrasts) names.push_back(c.name);
         return names;
       })) {
    add(contrast, Kind::contrastVif);
  }
  add("first_error", Kind::error);
  add("reasons", Kind::reasons);

  std::set<std::string> headers;
  for (auto& column : columns) {
    const std::string wanted = column.header;
    for (int copy = 2; !headers.insert(column.header).second; ++copy) {
      column.header = wanted + "." + std::to_string(copy);
    }
  }
  return columns;
}

GroupCell number(double value) { return {significantDigits(value), value}; }

GroupCell number(const std::optional<double>& value) {
  return value ? number(*value) : GroupCell{};
}

template <typename Whole>
GroupCell count(Whole value) {
  return {std::to_string(value), static_cast<double>(value)};
}

GroupCell count(const std::optional<std::size_t>& value) {
  return value ? count(*value) : GroupCell{};
}

GroupCell text(const std::string& value) { return {value, std::nullopt}; }

GroupCell fieldCell(const RunRecord& run, const std::string& name) {
  for (const auto& [field, value] : run.fields) {
    if (field == name) return text(value);
  }
  return {};
}

GroupCell contrastCell(const RunRecord& run, const std::string& name) {
  for (const auto& contrast : run.contrasts) {
    if (contrast.name != name) continue;
    return number(contrast.estimable ? contrast.vif : std::numeric_limits<double>::infinity());
  }
  return {};
}

// The run's cell of a column that only runs that did not fail have.
GroupCell measureCell(const RunRecord& run, const GroupColumn& column) {
  const auto& highest = run.highestTaskVif;
  const auto& pair = run.strongestTaskConfound;
  const auto& name = column.name;
  if (name == "data_points") return count(run.dataPoints);
  if (name == "predictors") return count(run.predictors);
  if (name == "residual_df") return count(run.residualDegreesOfFreedom);
  if (name == "highest_task_vif") return highest ? number(highest->second) : GroupCell{};
  if (name == "highest_task_vif_predictor") return highest ? text(highest->first) : GroupCell{};
  if (name == "strongest_task_confound_r") return pair ? number(pair->r) : GroupCell{};
  if (name == "task_predictor") return pair ? text(pair->task) : GroupCell{};
  if (name == "confound") return pair ? text(pair->confound) : GroupCell{};
  if (name == "mean_fd") return number(run.meanDisplacement);
  if (name == "max_fd") return number(run.maxDisplacement);
  if (name == "spikes") return count(run.spikes);
  return {};
}

GroupCell cellOf(const RunRecord& run, const GroupColumn& column) {
  const bool failed = run.status == CheckStatus::failed;
  switch (column.kind) {
    case Kind::field:
      return fieldCell(run, column.name);
    case Kind::name:
      return text(run.name);
    case Kind::status: {
      if (run.skipped) {
        return {runStatusName(run), static_cast<double>(std::size(run_record_format::kStatuses))};
      }
      const auto severity = run_record_format::severityOf(run.status);
      return {statusName(run.status),
              severity ? std::optional<double>(static_cast<double>(*severity)) : std::nullopt};
    }
    case Kind::error:
      return run.firstError ? text(*run.firstError) : GroupCell{};
    case Kind::reasons:
      return text(joined(run.reasons, "; "));
    case Kind::contrastVif:
      return failed ? GroupCell{} : contrastCell(run, column.name);
    default:
      return failed ? GroupCell{} : measureCell(run, column);
  }
}

}  // namespace

GroupTable groupTable(const std::vector<RunRecord>& runs) {
  GroupTable table;
  table.columns = columnsOf(runs);
  table.rows.reserve(runs.size());
  for (const auto& run : runs) {
    std::vector<GroupCell> row;
    row.reserve(table.columns.size());
    for (const auto& column : table.columns) row.push_back(cellOf(run, column));
    table.rows.push_back(std::move(row));
  }
  return table;
}

}  // namespace duv
