#include "cli/check_command.h"

#include <exception>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "check/check_html.h"
#include "check/check_output.h"
#include "check/contrast_expression.h"
#include "cli/commands.h"
#include "cli/output_plan.h"
#include "cli/tool_log.h"
#include "design/column_statistics.h"
#include "design/file_system.h"
#include "design/framewise_displacement.h"
#include "design/motion_options.h"
#include "design/text.h"
#include "workflow/head_motion.h"
#include "workflow/result_names.h"

namespace duv::cli {
namespace {

// How the files of a run are read and checked.
struct CheckSetting {
  std::vector<Contrast> contrasts;
  ContrastThresholds contrastThresholds;
  CheckThresholds thresholds;
  ConfoundOptions confounds;
  MotionReading motionReading;
  MotionSummaryOptions motion;
  bool addSpikes = false;
};

// A design of head motion alone: every predictor a motion parameter or a constant. Designs
// that hold more (a merged design) are no motion input of their own: their motion columns may
// be z-transformed.
bool isMotionDesign(const DesignMatrix& design) {
  for (std::size_t p = 0; p < design.values.size(); ++p) {
    if (!namesMotionParameter(design.predictorNames[p]) && !isConstantColumn(design.values[p])) {
      return false;
    }
  }
  return true;
}

// The head motion beside `design`, read from `path`: from `motionPath` (required), else from
// the design's own file when it holds some.
std::optional<MotionInput> headMotionFor(const std::string& path, const DesignMatrix& design,
                                         const std::optional<std::string>& motionPath,
                                         const MotionReading& reading) {
  if (motionPath) {
    const auto layout = motionLayoutFor(*motionPath, reading);
    return readHeadMotion(*motionPath, layout ? *layout : motionLayoutOf(*motionPath), reading,
                          true, realFileSystem());
  }
  const auto layout = motionLayoutFor(path, reading);
  if (!layout || (*layout == MotionLayout::sdm && !isMotionDesign(design))) return std::nullopt;
  return readHeadMotion(path, *layout, reading, false, realFileSystem());
}

// Reads and checks one file; any error of reading it or its motion is the file's error.
void readAndCheck(CheckedFile& file, const std::optional<std::string>& motionPath,
                  const CheckSetting& setting, const LogSink& log) {
  file.design = readInputFile(toolInput(file.path), setting.confounds, realFileSystem(), log);
  const auto motion = headMotionFor(file.path, file.design, motionPath, setting.motionReading);
  if (!motion) {
    file.check = checkDesign(file.design, setting.thresholds);
    return;
  }
  auto displacement = framewiseDisplacement(*motion);
  requireOneVolumePerDataPoint(file.design, motion->fileName, displacement);
  if (setting.addSpikes) {
    addSpikes(file.design, motion->fileName, displacement, setting.motion.spikeThreshold, log);
  }
  file.check = checkDesign(file.design, setting.thresholds);
  file.motion = checkMotion(motion->fileName, std::move(displacement), setting.motion,
                            setting.addSpikes, file.check);
}

// The contrasts on a checked file; a contrast that names what the design does not have is the
// file's error.
void checkContrasts(CheckedFile& file, const CheckSetting& setting) {
  file.contrastDefinitions = setting.contrasts;
  try {
    for (const auto& contrast : setting.contrasts) {
      file.contrasts.push_back(checkContrast(contrast, file.check, setting.contrastThresholds));
    }
  } catch (const std::exception& error) {
    file.readError = error.what();
    file.checkFailed = true;
    file.contrasts.clear();
    file.motion.reset();
  }
}

CheckedFile checkedFile(const std::string& path, const std::optional<std::string>& motionPath,
                        const CheckSetting& setting, const LogSink& log) {
  CheckedFile file;
  file.path = path;
  try {
    readAndCheck(file, motionPath, setting, log);
  } catch (const std::exception& error) {
    file.readError = error.what();
    file.motion.reset();
    return file;
  }
  checkContrasts(file, setting);
  return file;
}

CheckSetting settingFor(const CheckArguments& arguments) {
  CheckSetting setting;
  setting.contrasts = contrastsOf(arguments);
  setting.contrastThresholds = arguments.contrastThresholds;
  setting.thresholds = arguments.thresholds;
  setting.confounds = confoundOptionsFor(arguments.files, arguments.confounds);
  setting.motionReading = motionReadingFor(arguments.confounds);
  setting.motion.thresholds = parseThresholdList(arguments.fdThresholds);
  setting.motion.maxFlaggedShare = arguments.maxScrubbedPercent / 100.0;
  if (const auto spikes = spikeOptionsFor(arguments.confounds)) {
    setting.motion.spikeThreshold = spikes->displacementThreshold;
    setting.addSpikes = true;
  }
  return setting;
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
  if (arguments.html) checkOutputs({*arguments.html}, arguments.files);
  const auto setting = settingFor(arguments);
  ToolLog log(std::cerr, false, false);
  CheckRun run;
  run.thresholds = arguments.thresholds;
  run.showAll = arguments.showAll;
  run.motion = setting.motion;
  run.contrastThresholds = setting.contrastThresholds;
  bool anyUnreadable = false;
  for (std::size_t i = 0; i < arguments.files.size(); ++i) {
    const auto motionPath = i < arguments.motion.size()
                                ? std::optional<std::string>(arguments.motion[i])
                                : std::nullopt;
    run.files.push_back(checkedFile(arguments.files[i], motionPath, setting, log.sink()));
    if (run.files.back().readError) {
      std::cerr << "Error: " << *run.files.back().readError << '\n';
      anyUnreadable = true;
    }
  }
  writeResults(run, arguments.format);
  if (arguments.html) {
    writeFile(realFileSystem(), *arguments.html,
              [&run](std::ostream& out) { writeCheckHtml(run, out); });
  }
  if (anyUnreadable) return kFailure;
  const auto worst = worstLevel(run);
  return worst && *worst >= arguments.failOn ? kWarningsAtLevel : kSuccess;
}

std::vector<Contrast> contrastsOf(const CheckArguments& arguments) {
  std::vector<Contrast> contrasts;
  for (const auto& text : arguments.contrasts) contrasts.push_back(parseContrastOption(text));
  if (arguments.contrastsFile) {
    for (auto& contrast : readContrasts(realFileSystem().readFile(*arguments.contrastsFile),
                                        *arguments.contrastsFile)) {
      contrasts.push_back(std::move(contrast));
    }
  }
  for (std::size_t i = 0; i < contrasts.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (contrasts[i].name == contrasts[j].name) {
        throw std::runtime_error("contrast \"" + contrasts[i].name + "\" is asked for twice");
      }
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
}

std::string htmlPathFor(const std::string& designPath, const std::string& htmlDir) {
  return pathInFolder(replaceExtension(fileNameOf(designPath), ".html"), htmlDir);
}

void writeDesignHtml(const std::string& path, const DesignMatrix& design,
                     const std::string& htmlPath) {
  CheckRun run;
  CheckedFile file;
  file.path = path;
  file.design = design;
  file.check = checkDesign(file.design, run.thresholds);
  run.files.push_back(std::move(file));
  writeFile(realFileSystem(), htmlPath, [&run](std::ostream& out) { writeCheckHtml(run, out); });
}

}  // namespace duv::cli
