#include "workflow/check_workflow.h"

#include <exception>
#include <optional>
#include <utility>

#include "check/check_html.h"
#include "design/file_system.h"
#include "design/motion_input.h"
#include "design/tsv_design.h"
#include "numerics/column_statistics.h"
#include "numerics/framewise_displacement.h"
#include "workflow/input_files.h"

namespace duv {
namespace {

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

std::optional<MotionInput> givenMotion(const std::string& path, const MotionReading& reading,
                                       FileSystem& files) {
  const auto layout = motionLayoutFor(path, reading);
  return readHeadMotion(path, layout ? *layout : motionLayoutOf(path), reading, true, files);
}

std::optional<MotionInput> ownMotion(const CheckRequest& request, const DesignMatrix& design,
                                     FileSystem& files) {
  const auto* file = std::get_if<DesignFile>(&request.design);
  if (file == nullptr) return std::nullopt;
  const auto layout = motionLayoutFor(file->path, request.motionReading);
  if (!layout) return std::nullopt;
  // A TSV design (told by its sidecar) is a design like an SDM file: its motion columns may be
  // z-transformed.
  const bool aDesign = *layout == MotionLayout::sdm ||
                       (*layout == MotionLayout::table && hasSidecar(file->path, files));
  if (aDesign && !isMotionDesign(design)) return std::nullopt;
  return readHeadMotion(file->path, *layout, request.motionReading, false, files);
}

std::optional<MotionInput> firstMotion(const std::vector<std::string>& paths,
                                       const MotionReading& reading, FileSystem& files) {
  for (const auto& path : paths) {
    // The merges' inputs, whose formats were chosen when they were merged.
    const auto* format = findDesignFormat(path, designFormats(), "the merges", files);
    if (format == nullptr) continue;  // no file that holds head motion
    if (auto motion = spikeMotionOf(InputFile{path, format}, reading, files)) return motion;
  }
  return std::nullopt;
}

std::optional<MotionInput> headMotionFor(const CheckRequest& request, const DesignMatrix& design,
                                         FileSystem& files) {
  switch (request.motionSource) {
    case MotionSource::none:
      return std::nullopt;
    case MotionSource::motionFile:
      return givenMotion(request.motionFiles.front(), request.motionReading, files);
    case MotionSource::designFile:
      return ownMotion(request, design, files);
    case MotionSource::firstHolding:
      return firstMotion(request.motionFiles, request.motionReading, files);
  }
  return std::nullopt;
}

DesignMatrix designOf(CheckRequest& request, FileSystem& files, const LogSink& log) {
  if (auto* matrix = std::get_if<DesignMatrix>(&request.design)) return std::move(*matrix);
  const auto& file = std::get<DesignFile>(request.design);
  return readInputFile(inputFileAt(file.path, file.reader, files), request.confounds, files, log);
}

// Reads and checks the design with its head motion; every error passes on.
void readAndCheck(CheckedFile& file, CheckRequest& request, FileSystem& files, const LogSink& log) {
  file.design = designOf(request, files, log);
  const auto motion = headMotionFor(request, file.design, files);
  if (!motion) {
    file.check = checkDesign(file.design, request.thresholds);
    return;
  }
  auto displacement = framewiseDisplacement(*motion);
  requireOneVolumePerDataPoint(file.design, motion->fileName, displacement);
  if (request.spikes == SpikeColumns::add) {
    addSpikes(file.design, motion->fileName, displacement, request.motion.spikeThreshold, log);
  }
  file.check = checkDesign(file.design, request.thresholds);
  file.motion = checkMotion(motion->fileName, std::move(displacement), request.motion,
                            request.spikes != SpikeColumns::none, file.design, file.check);
}

// The contrasts on the checked design; checkContrast's errors pass on.
void checkContrasts(CheckedFile& file, const CheckRequest& request) {
  file.contrastDefinitions = request.contrasts;
  for (const auto& contrast : request.contrasts) {
    file.contrasts.push_back(checkContrast(contrast, file.check, request.contrastThresholds));
  }
}

std::string pathOf(const CheckRequest& request) {
  if (const auto* file = std::get_if<DesignFile>(&request.design)) return file->path;
  return std::get<DesignMatrix>(request.design).fileName;
}

}  // namespace

CheckOutcome checkRequestedDesign(CheckRequest request, FileSystem& files, const LogSink& log) {
  CheckOutcome outcome;
  auto& file = outcome.file;
  file.path = pathOf(request);
  try {
    readAndCheck(file, request, files, log);
  } catch (const std::exception& error) {
    file.readError = error.what();
    file.motion.reset();
    outcome.status = statusOf(file);
    return outcome;
  }
  try {
    checkContrasts(file, request);
  } catch (const std::exception& error) {
    // A contrast naming what the design does not have: read, but not checked.
    file.readError = error.what();
    file.checkFailed = true;
    file.contrasts.clear();
    file.motion.reset();
  }
  outcome.status = statusOf(file);
  return outcome;
}

CheckRun checkRunFor(const CheckRequest& request) {
  CheckRun run;
  run.thresholds = request.thresholds;
  run.motion = request.motion;
  run.contrastThresholds = request.contrastThresholds;
  return run;
}

void writeCheckPage(const CheckRun& run, const std::string& path, FileSystem& files) {
  writeFile(files, path, [&run](std::ostream& out) { writeCheckHtml(run, out); });
}

CheckedFile checkAndWritePage(CheckRequest request, const std::string& pagePath, FileSystem& files,
                              const LogSink& log) {
  auto run = checkRunFor(request);
  CheckedFile file;
  file.path = pathOf(request);
  readAndCheck(file, request, files, log);
  checkContrasts(file, request);
  run.files.push_back(std::move(file));
  writeCheckPage(run, pagePath, files);
  return std::move(run.files.front());
}

}  // namespace duv
