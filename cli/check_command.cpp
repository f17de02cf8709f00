#include "cli/check_command.h"

#include <iostream>
#include <stdexcept>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "check/check_output.h"
#include "check/contrast_expression.h"
#include "cli/commands.h"
#include "cli/tool_log.h"
#include "design/bounded_read.h"
#include "design/file_system.h"
#include "design/motion_options.h"
#include "design/paths.h"
#include "workflow/check_workflow.h"
#include "workflow/output_plan.h"
#include "workflow/result_names.h"

namespace duv::cli {
namespace {

// The request every file of the run shares; each file sets its design and motion.
CheckRequest requestFor(const CheckArguments& arguments) {
  CheckRequest request;
  request.contrasts = contrastsOf(arguments);
  request.contrastThresholds = arguments.contrastThresholds;
  request.thresholds = arguments.thresholds;
  request.confounds = confoundOptionsFor(arguments.files, arguments.confounds);
  request.motionReading = motionReadingFor(arguments.confounds);
  request.motion.thresholds = parseThresholdList(arguments.fdThresholds);
  request.motion.maxFlaggedShare = arguments.maxScrubbedPercent / 100.0;
  request.motion.limits = motionLimitsFor(arguments);
  if (const auto spikes = spikeOptionsFor(arguments.confounds)) {
    request.motion.spikeThreshold = spikes->criterion.displacementThreshold;
    request.spikes = SpikeColumns::add;
  }
  return request;
}

// `parse` of an option's text, its error preceded by the option's name.
template <typename Parse>
auto parsedOption(Parse parse, std::string_view text, std::string_view option) {
  try {
    return parse(text);
  } catch (const std::invalid_argument& error) {
    throw std::invalid_argument(std::string(option) + ": " + error.what());
  }
}

// The file's head motion: from its --motion file, else from the file itself.
void setFile(CheckRequest& request, const CheckArguments& arguments, std::size_t i) {
  request.design = DesignFile{arguments.files[i], std::string(kToolReader)};
  request.motionFiles.clear();
  if (i < arguments.motion.size()) {
    request.motionSource = MotionSource::motionFile;
    request.motionFiles.push_back(arguments.motion[i]);
  } else {
    request.motionSource = MotionSource::designFile;
  }
}

void writeResults(const CheckRun& run, CheckFormat format) {
  switch (format) {
    case CheckFormat::text:
      writeCheckText(run, std::cout);
      break;
    case CheckFormat::tsv:
      writeCheckTsv(run, std::cout);
      break;
    case CheckFormat::json:
      writeCheckJson(run, std::cout);
      break;
  }
  std::cout.flush();
}

}  // namespace

int runCheck(const CheckArguments& arguments) {
  if (arguments.html) checkOutputs({*arguments.html}, arguments.files, realFileSystem());
  auto request = requestFor(arguments);
  ToolLog log(std::cerr, LogLines::shown, Progress::hidden);
  auto run = checkRunFor(request);
  run.showAll = arguments.showAll;
  bool anyUnreadable = false;
  for (std::size_t i = 0; i < arguments.files.size(); ++i) {
    setFile(request, arguments, i);
    run.files.push_back(checkRequestedDesign(request, realFileSystem(), log.sink()).file);
    if (run.files.back().readError) {
      std::cerr << "Error: " << *run.files.back().readError << '\n';
      anyUnreadable = true;
    }
  }
  writeResults(run, arguments.format);
  if (arguments.html) writeCheckPage(run, *arguments.html, realFileSystem());
  if (anyUnreadable) return kFailure;
  const auto worst = worstLevel(run);
  return worst && *worst >= arguments.failOn ? kWarningsAtLevel : kSuccess;
}

std::vector<Contrast> contrastsOf(const CheckArguments& arguments) {
  std::vector<Contrast> contrasts;
  for (const auto& text : arguments.contrasts) contrasts.push_back(parseContrastOption(text));
  if (arguments.contrastsFile) {
    for (auto& contrast :
         readContrasts(readBoundedFile(realFileSystem(), *arguments.contrastsFile, kContrastsLimit),
                       *arguments.contrastsFile)) {
      contrasts.push_back(std::move(contrast));
    }
  }
  // The first contrast whose name came before is named; a hash set keeps this linear for
  // files of many contrasts.
  std::unordered_set<std::string_view> names;
  names.reserve(contrasts.size());
  for (const auto& contrast : contrasts) {
    if (!names.insert(contrast.name).second) {
      throw std::runtime_error("contrast \"" + contrast.name + "\" is asked for twice");
    }
  }
  return contrasts;
}

void validateMotionArguments(const CheckArguments& arguments) {
  if (!arguments.motion.empty() && arguments.motion.size() != arguments.files.size()) {
    throw std::invalid_argument("--motion is given " + std::to_string(arguments.motion.size()) +
                                " times for " + std::to_string(arguments.files.size()) +
                                " files: give it once for every file, in the same order");
  }
  if (!(arguments.maxScrubbedPercent >= 0.0 && arguments.maxScrubbedPercent <= 100.0)) {
    throw std::invalid_argument("--max-scrubbed must lie between 0 and 100 (percent)");
  }
  parseThresholdList(arguments.fdThresholds);
  motionLimitsFor(arguments);
}

MotionLimits motionLimitsFor(const CheckArguments& arguments) {
  auto limits =
      motionLimitsOf(parsedOption(parseMotionRule, arguments.motionRule, "--motion-rule"));
  if (arguments.maxMeanFd) {
    limits.meanDisplacement =
        parsedOption(parseDisplacementLimit, *arguments.maxMeanFd, "--max-mean-fd");
  }
  if (arguments.maxFd) {
    limits.largestDisplacement = parsedOption(parseDisplacementLimit, *arguments.maxFd, "--max-fd");
  }
  if (arguments.maxShareAbove) {
    limits.shareAbove =
        parsedOption(parseShareLimit, *arguments.maxShareAbove, "--max-share-above");
  }
  return limits;
}

std::string htmlPathFor(const std::string& designPath, const std::string& htmlDir) {
  return pathInFolder(replaceExtension(fileNameOf(designPath), ".html"), htmlDir);
}

std::string_view thresholdOption(ThresholdSetting setting) {
  switch (setting) {
    case ThresholdSetting::mediumCorrelation:
      return "--medium-r";
    case ThresholdSetting::highCorrelation:
      return "--high-r";
    case ThresholdSetting::mediumVif:
      return "--medium-vif";
    case ThresholdSetting::highVif:
      return "--high-vif";
    case ThresholdSetting::mediumContrastVif:
      return "--medium-cvif";
    case ThresholdSetting::highContrastVif:
      return "--high-cvif";
  }
  return "";
}

}  // namespace duv::cli
