#include "workflow/events_design.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "design/file_system.h"
#include "design/number_text.h"
#include "design/text.h"
#include "workflow/workflow_texts.h"

namespace duv {
namespace {

// The task columns' colours in turn; drifts and the constant are white, as confounds are.
constexpr std::int32_t kPalette[][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                        {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};

std::string count(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string seconds(double value) {
  std::string text = pythonFloatText(value);
  if (text.size() > 2 && text.compare(text.size() - 2, 2, ".0") == 0) text.resize(text.size() - 2);
  return text + " s";
}

DesignMatrix matrixOf(const EventDesign& design, const std::string& events) {
  DesignMatrix m;
  m.fileName = convertedFileName(events);
  const auto columns = design.columns.size();
  m.nrOfPredictors.value = static_cast<std::int32_t>(columns);
  m.nrOfDataPoints.value = static_cast<std::int32_t>(design.columns.front().size());
  m.includesConstant.value = true;
  m.firstConfoundPredictor.value = static_cast<std::int32_t>(design.taskColumns + 1);
  for (std::size_t c = 0; c < columns; ++c) {
    const bool task = c < design.taskColumns;
    const auto& colour = kPalette[c % 6];
    m.colorRed.push_back(task ? colour[0] : 255);
    m.colorGreen.push_back(task ? colour[1] : 255);
    m.colorBlue.push_back(task ? colour[2] : 255);
    m.predictorNames.push_back(design.names[c]);
    std::vector<float> values;
    for (const double value : design.columns[c]) {
      if (beyondFloat(value)) {
        throw std::runtime_error(events + ": column " + design.names[c] +
                                 " holds values beyond single precision");
      }
      values.push_back(static_cast<float>(value));
    }
    m.values.push_back(std::move(values));
  }
  return m;
}

std::vector<EventCondition> keptConditions(const EventsFile& file,
                                           const std::vector<std::string>& wanted) {
  if (wanted.empty()) return file.conditions;
  std::vector<std::string> names;
  for (const auto& condition : file.conditions) names.push_back(condition.name);
  for (const auto& name : wanted) {
    if (std::find(names.begin(), names.end(), name) == names.end()) {
      throw std::runtime_error(file.fileName + ": no condition " + name + " (its conditions: " +
                               (names.empty() ? std::string("none") : joined(names, ", ")) + ")");
    }
  }
  std::vector<EventCondition> kept;
  for (const auto& condition : file.conditions) {
    if (std::find(wanted.begin(), wanted.end(), condition.name) != wanted.end()) {
      kept.push_back(condition);
    }
  }
  return kept;
}

}  // namespace

std::vector<std::string> eventTimingWarnings(const std::string& file,
                                             const std::vector<EventCondition>& conditions,
                                             const EventDesign& design,
                                             const EventDesignOptions& options) {
  std::vector<std::string> warnings;
  const auto frames = frameTimes(options);
  const double gridStart = frames.front() + options.minOnset;
  const double runEnd = static_cast<double>(options.volumes) * options.repetitionTime;
  for (const auto& condition : conditions) {
    std::size_t early = 0;
    std::size_t late = 0;
    for (const auto& event : condition.events) {
      if (event.onset < gridStart) ++early;
      if (event.onset >= runEnd) ++late;
    }
    if (early > 0) {
      warnings.push_back(
          file + ": " + condition.name + ": " + count(early, "event starts", "events start") +
          " before the minimum onset (" + seconds(gridStart) + "): clipped to it, " +
          (early == 1 ? "it still drives" : "they still drive") + " the first volumes");
    }
    if (late > 0) {
      warnings.push_back(file + ": " + condition.name + ": " +
                         count(late, "event starts", "events start") + " after the run's end (" +
                         seconds(runEnd) + ", " + std::to_string(options.volumes) +
                         " volumes): left out of the design");
    }
  }
  for (std::size_t c = 0; c < design.taskColumns; ++c) {
    const auto& column = design.columns[c];
    if (std::all_of(column.begin(), column.end(), [](double value) { return value == 0.0; })) {
      warnings.push_back(file + ": column " + design.names[c] + " is 0 in every volume");
    }
  }
  return warnings;
}

EventsDesign designFromEvents(const EventsDesignRequest& request, FileSystem& files) {
  const auto file = readEventsFile(request.events, files);
  const auto conditions = keptConditions(file, request.conditions);
  const auto design = buildEventDesign(conditions, request.options);
  EventsDesign result{matrixOf(design, request.events), file.warnings};
  const auto timing = eventTimingWarnings(request.events, conditions, design, request.options);
  result.warnings.insert(result.warnings.end(), timing.begin(), timing.end());
  return result;
}

void logWarnings(const std::vector<std::string>& warnings, const LogSink& log) {
  for (const auto& warning : warnings) log(texts::kWarningLog, warning);
}

}  // namespace duv
