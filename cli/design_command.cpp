#include "cli/design_command.h"

#include <charconv>
#include <iostream>
#include <set>
#include <stdexcept>
#include <system_error>

#include "cli/commands.h"
#include "cli/tool_log.h"
#include "design/design_format.h"
#include "design/file_system.h"
#include "design/paths.h"
#include "design/text.h"
#include "workflow/output_plan.h"
#include "workflow/result_names.h"
#include "workflow/workflow_texts.h"

namespace duv::cli {
namespace {

std::invalid_argument usage(const std::string& option, const std::string& what) {
  return std::invalid_argument(option + ": " + what);
}

std::vector<int> firDelaysOf(const std::string& text) {
  std::vector<int> delays;
  std::set<int> seen;
  for (const auto& item : splitLines(text, ',')) {
    int delay = 0;
    const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), delay);
    if (item.empty() || error != std::errc() || end != item.data() + item.size() || delay < 0) {
      throw usage("--fir-delays", "\"" + item + "\" is not a whole number of volumes, 0 or more");
    }
    if (!seen.insert(delay).second) {
      throw usage("--fir-delays", std::to_string(delay) + " is given twice");
    }
    delays.push_back(delay);
  }
  if (delays.empty()) throw usage("--fir-delays", "no delay given");
  return delays;
}

DriftModel driftOf(const std::string& name) {
  if (name == "cosine") return DriftModel::cosine;
  if (name == "polynomial") return DriftModel::polynomial;
  if (name == "none") return DriftModel::none;
  throw usage("--drift", "\"" + name + "\" is none of cosine, polynomial and none");
}

}  // namespace

EventsDesignRequest eventsRequestOf(const std::string& events, const DesignOptionArguments& given,
                                    double repetitionTime, std::size_t volumes) {
  EventsDesignRequest request;
  request.events = events;
  auto& o = request.options;
  o.repetitionTime = repetitionTime > 0.0 ? repetitionTime : given.repetitionTime.value_or(0.0);
  o.volumes = volumes > 0 ? volumes : given.volumes.value_or(0);
  if (given.repetitionTime && !(*given.repetitionTime > 0.0)) {
    throw usage("--tr", "the repetition time is a number of seconds above 0");
  }
  if (given.volumes && *given.volumes < 2) {
    throw usage("--volumes", "a design from events has 2 volumes or more");
  }
  try {
    o.hrf = parseHrfModel(given.hrf);
  } catch (const std::invalid_argument& error) {
    throw usage("--hrf", error.what());
  }
  if (given.firDelays) {
    if (o.hrf != HrfModel::fir) throw usage("--fir-delays", "only with --hrf fir");
    o.firDelays = firDelaysOf(*given.firDelays);
  }
  o.drift = driftOf(given.drift);
  if (given.highPass) {
    if (o.drift != DriftModel::cosine) throw usage("--high-pass", "only with --drift cosine");
    if (!(*given.highPass >= 0.0)) throw usage("--high-pass", "the cutoff is 0 Hz or more");
    o.highPass = *given.highPass;
  }
  if (given.driftOrder) {
    if (o.drift != DriftModel::polynomial) {
      throw usage("--drift-order", "only with --drift polynomial");
    }
    if (*given.driftOrder < 0) throw usage("--drift-order", "the order is 0 or more");
    o.driftOrder = *given.driftOrder;
  }
  if (!(given.sliceTimeReference >= 0.0 && given.sliceTimeReference <= 1.0)) {
    throw usage("--slice-time-ref", "a fraction of the repetition time, from 0 to 1");
  }
  o.sliceTimeReference = given.sliceTimeReference;
  if (!(given.minOnset <= 0.0)) {
    throw usage("--min-onset", "0 or less: the seconds before the first volume that events count");
  }
  o.minOnset = given.minOnset;
  if (given.conditions) {
    request.conditions = splitLines(*given.conditions, ',');
    for (const auto& name : request.conditions) {
      if (name.empty())
        throw usage("--conditions", "an empty name in \"" + *given.conditions + "\"");
    }
    if (request.conditions.empty()) throw usage("--conditions", "no condition given");
  }
  return request;
}

void validateDesignArguments(const DesignArguments& arguments) {
  if (!arguments.options.repetitionTime) throw std::invalid_argument("--tr is required");
  if (!arguments.options.volumes) throw std::invalid_argument("--volumes is required");
  if (arguments.out && !hasExtension(*arguments.out, "sdm")) {
    throw usage("--out", "a design file's name ends in .sdm");
  }
  eventsRequestOf(arguments.events, arguments.options);
}

int runDesign(const DesignArguments& arguments) {
  const auto request = eventsRequestOf(arguments.events, arguments.options);
  const auto out = arguments.out.value_or(convertedFileName(arguments.events));
  const auto formats = savedFormatsFor(arguments.exports);
  const auto outputs = resultFilesAt(out, formats, false).designs;
  checkOutputs(outputs, {arguments.events}, realFileSystem());
  ToolLog log(std::cerr, arguments.quiet ? LogLines::quiet : LogLines::shown, Progress::hidden);
  auto design = designFromEvents(request, realFileSystem());
  logWarnings(design.warnings, log.sink());
  for (std::size_t f = 0; f < formats.size(); ++f) {
    saveDesign(design.matrix, outputs[f], *formats[f], realFileSystem());
    log.log(texts::kSavedLog, outputs[f]);
  }
  return kSuccess;
}

}  // namespace duv::cli
