#include "cli/commands.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "cli/check_command.h"
#include "cli/terminal.h"
#include "cli/tool_inputs.h"
#include "cli/tool_log.h"
#include "design/export_formats.h"
#include "design/file_system.h"
#include "design/sdm_writer.h"
#include "design/tsv_design.h"
#include "stats/matrix.h"
#include "workflow/check_workflow.h"
#include "workflow/correlate_workflow.h"
#include "workflow/merge_workflow.h"
#include "workflow/output_plan.h"
#include "workflow/result_names.h"
#include "workflow/workflow_texts.h"

namespace duv::cli {
namespace {

// The reports' fits run on every core.
std::size_t workerCount() { return std::max(1U, std::thread::hardware_concurrency()); }

// Folders are made when the first file goes into them, so that a run refused or failing
// before that leaves no trace.
void createFolder(const std::string& folder) { std::filesystem::create_directories(folder); }

LogLines logLinesOf(bool quiet) { return quiet ? LogLines::quiet : LogLines::shown; }

// Progress is shown where someone watches it.
Progress progressOnTerminal() {
  return standardErrorIsTerminal() ? Progress::shown : Progress::hidden;
}

MergeRequest mergeRequest(const MergeArguments& arguments, MergeKind kind) {
  MergeRequest request;
  if (kind == MergeKind::withPrimary) request.primary = arguments.primary;
  for (auto& input : toolInputs(arguments.secondaries)) {
    request.secondaries.emplace_back(std::move(input));
  }
  request.confounds = confoundOptionsFor(arguments.secondaries, arguments.confounds);
  request.baseline = arguments.baseline;
  request.zTransform = arguments.zTransform;
  request.keepIndicators = true;
  request.keepDecimals = true;
  request.reports = arguments.allCorrelations;
  request.spikes = spikeOptionsFor(arguments.confounds);
  request.workers = workerCount();
  request.formats = savedFormatsFor(arguments.exports);
  request.taskColumns = arguments.taskColumns;
  return request;
}

std::vector<std::string> plannedOutputs(const MergeArguments& arguments,
                                        const std::vector<ResultFiles>& results) {
  std::vector<std::string> outputs;
  for (const auto& result : results) {
    outputs.insert(outputs.end(), result.designs.begin(), result.designs.end());
    if (result.report) outputs.push_back(*result.report);
    if (result.table) outputs.push_back(*result.table);
    if (arguments.htmlDir)
      outputs.push_back(htmlPathFor(result.designs.front(), *arguments.htmlDir));
  }
  return outputs;
}

// The check page of a design saved at `designPath`, logged as the results are: the design
// checked with the default thresholds, without head motion or contrasts.
void saveHtml(ToolLog& log, const std::string& designPath, DesignMatrix design,
              const std::string& htmlDir) {
  const auto path = htmlPathFor(designPath, htmlDir);
  createFolder(htmlDir);
  design.fileName = designPath;
  CheckRequest request;
  request.design = std::move(design);
  checkAndWritePage(std::move(request), path, realFileSystem(), log.sink());
  log.log(texts::kSavedLog, path);
}

// The inputs as the user named them, and what to do where a confound file is one of them.
std::string mismatchMessage(const DataPointMismatch& mismatch) {
  auto message = mismatch.differingInput + " has " + std::to_string(mismatch.differingCount) +
                 " data points, " + mismatch.referenceInput + " has " +
                 std::to_string(mismatch.referenceCount) + ": every input needs as many";
  if (isConfoundFile(mismatch.differingInput) || isConfoundFile(mismatch.referenceInput)) {
    message +=
        " (--skip-volumes N and --skip-last-volumes N drop the first or last N rows of "
        ".tsv, .txt, .par and .1D inputs)";
  }
  return message;
}

void reportError(ToolLog& log, const std::exception& error) {
  log.finishProgress();
  std::cerr << "Error: " << error.what() << '\n';
}

}  // namespace

int runMerge(const MergeArguments& arguments, MergeKind kind) {
  // As the dialog says it, before the inputs are looked at.
  if (kind == MergeKind::secondariesOnly && arguments.secondaries.size() < 2) {
    throw std::runtime_error(texts::kNotEnoughSecondaries);
  }
  auto request = mergeRequest(arguments, kind);
  const auto planned = resultFiles(request, arguments.outDir);
  auto inputs = arguments.secondaries;
  if (kind == MergeKind::withPrimary) inputs.push_back(arguments.primary);
  checkOutputs(plannedOutputs(arguments, planned), inputs, realFileSystem());
  checkReportsReplaceable(planned, "give --out-dir to save the results elsewhere",
                          realFileSystem());

  ToolLog log(std::cerr, logLinesOf(arguments.quiet), progressOnTerminal());
  logMergeStart(kind, log.sink());
  std::size_t saved = 0;
  auto outcome = mergeDesigns(
      std::move(request), realFileSystem(),
      [&](const std::string& suggestedName) -> std::optional<std::string> {
        auto path = pathInFolder(suggestedName, arguments.outDir);
        if (arguments.outDir) createFolder(*arguments.outDir);
        log.progress(++saved, planned.size(), path);
        return path;
      },
      log.sink());
  log.finishProgress();
  if (outcome.mismatch) {
    std::cerr << mismatchMessage(*outcome.mismatch) << '\n';
    return kDataPointMismatch;
  }
  if (arguments.htmlDir) {
    // Each page describes its file as it reads back, without reading it again.
    for (auto& result : outcome.results) {
      saveHtml(log, *result.savedAs, asReadBack(std::move(result.matrix)), *arguments.htmlDir);
    }
  }
  return kSuccess;
}

std::vector<const DesignFormat*> savedFormatsFor(const std::optional<std::string>& exports) {
  if (!exports) return {&kSdmFormat};
  return savedFormats(parseExportFormats(*exports));
}

int runCorrelations(const std::vector<std::string>& files, bool quiet,
                    const std::optional<std::string>& htmlDir,
                    const std::vector<std::string>& taskColumns) {
  std::vector<std::string> outputs;
  std::vector<ResultFiles> reports;
  for (const auto& file : files) {
    reports.push_back(resultFilesAt(file, {}, true));
    outputs.push_back(*reports.back().report);
    outputs.push_back(*reports.back().table);
    if (htmlDir) outputs.push_back(htmlPathFor(file, *htmlDir));
  }
  checkOutputs(outputs, files, realFileSystem());
  // corr writes beside each design and has no folder of its own to write to.
  checkReportsReplaceable(reports,
                          "corr writes beside the design; copy the design into a folder of its "
                          "own and correlate it there",
                          realFileSystem());

  ToolLog log(std::cerr, logLinesOf(quiet),
              files.size() > 1 ? progressOnTerminal() : Progress::hidden);
  bool anyFailed = false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    log.progress(i + 1, files.size(), files[i]);
    // The page explains a design whose report could not be fitted, so it is still written
    // then; after any other failure there is nothing to show.
    std::optional<DesignMatrix> design;
    bool pageWanted = htmlDir.has_value();
    try {
      design = readTaskDesignFile(files[i], taskColumns, realFileSystem());
      correlateDesign(*design, realFileSystem(), log.sink(), workerCount());
    } catch (const MatrixInversionError& error) {
      reportError(log, error);
      anyFailed = true;
    } catch (const std::exception& error) {
      reportError(log, error);
      anyFailed = true;
      pageWanted = false;
    }
    if (!pageWanted) continue;
    try {
      saveHtml(log, files[i], std::move(*design), *htmlDir);
    } catch (const std::exception& error) {
      reportError(log, error);
      anyFailed = true;
    }
  }
  log.finishProgress();
  return anyFailed ? kFailure : kSuccess;
}

int runConvert(const ConvertArguments& arguments) {
  const auto exports = parseExportFormats(arguments.exports);
  std::vector<const DesignFormat*> formats;
  for (const auto* format : exports)
    formats.insert(formats.end(), format->files.begin(), format->files.end());
  std::vector<std::vector<std::string>> planned;
  std::vector<std::string> outputs;
  for (const auto& file : arguments.files) {
    const auto at = pathInFolder(convertedFileName(file), arguments.outDir);
    auto& paths = planned.emplace_back();
    for (const auto* format : formats) paths.push_back(pathInFormat(at, *format));
    outputs.insert(outputs.end(), paths.begin(), paths.end());
  }
  checkOutputs(outputs, arguments.files, realFileSystem());

  auto& files = realFileSystem();
  std::vector<DesignMatrix> designs;
  for (const auto& file : arguments.files) {
    if (hasExtensionOf(file, kTsvDesignFormat)) {
      designs.push_back(readTaskDesignFile(file, arguments.taskColumns, files));
    } else {
      designs.push_back(
          readDesign(file, designFormatOf(file, kToolReader, files), {}, files).matrix);
    }
  }
  ToolLog log(std::cerr, logLinesOf(arguments.quiet), Progress::hidden);
  if (arguments.outDir) createFolder(*arguments.outDir);
  for (std::size_t i = 0; i < designs.size(); ++i) {
    for (std::size_t f = 0; f < formats.size(); ++f) {
      saveDesign(designs[i], planned[i][f], *formats[f], files);
      log.log(texts::kSavedLog, planned[i][f]);
    }
  }
  return kSuccess;
}

}  // namespace duv::cli
