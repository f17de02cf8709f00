#include "cli/commands.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "cli/check_command.h"
#include "cli/command_line_host.h"
#include "cli/output_plan.h"
#include "cli/secondary_inputs.h"
#include "cli/terminal.h"
#include "design/file_system.h"
#include "design/text.h"
#include "merge/merge_workflow.h"
#include "merge/workflow_texts.h"
#include "stats/correlate_task.h"
#include "stats/matrix.h"

namespace duv::cli {
namespace {

std::vector<std::string> resultPaths(const MergeArguments& arguments, bool withPrimary) {
  const auto suggested =
      withPrimary ? suggestedMergeAllNames(arguments.primary, arguments.secondaries)
                  : std::vector<std::string>{suggestedMergeSecondaryName(arguments.secondaries)};
  std::vector<std::string> paths;
  paths.reserve(suggested.size());
  for (const auto& name : suggested) paths.push_back(outputPathFor(name, arguments.outDir));
  return paths;
}

std::vector<std::string> plannedOutputs(const MergeArguments& arguments,
                                        const std::vector<std::string>& results) {
  std::vector<std::string> outputs;
  for (const auto& path : results) {
    outputs.push_back(path);
    if (arguments.allCorrelations) {
      outputs.push_back(reportPathOf(path));
      outputs.push_back(tablePathOf(path));
    }
    if (arguments.htmlDir) outputs.push_back(htmlPathFor(path, *arguments.htmlDir));
  }
  return outputs;
}

// The check page of a saved result, logged as the results are.
void saveHtml(CommandLineHost& host, const std::string& matrixPath, const std::string& htmlDir) {
  const auto path = htmlPathFor(matrixPath, htmlDir);
  writeDesignHtml(matrixPath, path);
  host.log(texts::kSavedLog, path);
}

std::string joinedLines(const std::vector<std::string>& paths) {
  std::string text;
  for (const auto& path : paths) {
    if (!text.empty()) text += '\n';
    text += path;
  }
  return text;
}

}  // namespace

int runMerge(const MergeArguments& arguments, bool withPrimary) {
  const auto confounds = checkSecondaryInputs(arguments.secondaries, arguments.confounds);
  auto inputs = arguments.secondaries;
  if (withPrimary) inputs.push_back(arguments.primary);
  const auto results = resultPaths(arguments, withPrimary);
  checkOutputs(plannedOutputs(arguments, results), inputs);
  if (arguments.outDir) std::filesystem::create_directories(*arguments.outDir);
  if (arguments.htmlDir) std::filesystem::create_directories(*arguments.htmlDir);

  CommandLineHost host(std::cerr, arguments.outDir, arguments.quiet, standardErrorIsTerminal());
  host.setInt(texts::kZTransformParameter, arguments.zTransform ? 1 : 0);
  host.setInt(texts::kBaselineParameter, arguments.baseline ? 1 : 0);
  host.setInt(texts::kAllCorrelationsParameter, arguments.allCorrelations ? 1 : 0);
  host.setString(texts::kSecondaryParameter, joinedLines(arguments.secondaries));
  if (withPrimary) host.setString(texts::kPrimaryParameter, arguments.primary);
  host.expectResults(withPrimary ? arguments.secondaries.size() : 1);

  auto& files = realFileSystem();
  const bool completed = mergeSdms(host, files, withPrimary,
                                   [&](const std::string& path) -> std::optional<DesignMatrix> {
                                     return readSecondaryInput(path, confounds, host, files);
                                   });
  host.finishProgress();
  if (!completed) {
    std::cerr << host.lastMessage().value_or("") << '\n';
    return kDataPointMismatch;
  }
  if (arguments.htmlDir) {
    for (const auto& path : results) saveHtml(host, path, *arguments.htmlDir);
  }
  return kSuccess;
}

int runCorrelations(const std::vector<std::string>& files, bool quiet,
                    const std::optional<std::string>& htmlDir) {
  std::vector<std::string> outputs;
  for (const auto& file : files) {
    outputs.push_back(reportPathOf(file));
    outputs.push_back(tablePathOf(file));
    if (htmlDir) outputs.push_back(htmlPathFor(file, *htmlDir));
  }
  checkOutputs(outputs, files);
  if (htmlDir) std::filesystem::create_directories(*htmlDir);

  CommandLineHost host(std::cerr, std::nullopt, quiet,
                       files.size() > 1 && standardErrorIsTerminal());
  bool anyFailed = false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    host.progress(i + 1, files.size(), files[i]);
    host.setString(texts::kPrimaryParameter, files[i]);
    // The page explains a design whose report could not be fitted, so it is still written
    // then; after any other failure (an unreadable file) there is nothing to show.
    bool pageWanted = htmlDir.has_value();
    try {
      correlateSdm(host, realFileSystem());
    } catch (const MatrixInversionError& error) {
      host.finishProgress();
      std::cerr << "Error: " << error.what() << '\n';
      anyFailed = true;
    } catch (const std::exception& error) {
      host.finishProgress();
      std::cerr << "Error: " << error.what() << '\n';
      anyFailed = true;
      pageWanted = false;
    }
    if (!pageWanted) continue;
    try {
      saveHtml(host, files[i], *htmlDir);
    } catch (const std::exception& error) {
      host.finishProgress();
      std::cerr << "Error: " << error.what() << '\n';
      anyFailed = true;
    }
  }
  host.finishProgress();
  return anyFailed ? kFailure : kSuccess;
}

}  // namespace duv::cli
