#include "cli/commands.h"

#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "cli/command_line_host.h"
#include "cli/output_plan.h"
#include "cli/terminal.h"
#include "design/file_system.h"
#include "design/text.h"
#include "merge/merge_workflow.h"
#include "merge/workflow_texts.h"
#include "stats/correlate_task.h"

namespace duv::cli {
namespace {

// Unlike the dialog, the tool ignores no input: every secondary must be one it reads.
void checkSecondaries(const std::vector<std::string>& secondaries) {
  for (const auto& path : secondaries) {
    if (path.find('\n') != std::string::npos) {
      throw std::runtime_error("a file name holds a line break: " + path);
    }
    if (!hasExtension(path, "sdm") && !hasExtension(path, "rtc")) {
      throw std::runtime_error(path + " is neither an .sdm nor an .rtc file");
    }
  }
}

std::vector<std::string> plannedOutputs(const MergeArguments& arguments, bool withPrimary) {
  const auto suggested =
      withPrimary ? suggestedMergeAllNames(arguments.primary, arguments.secondaries)
                  : std::vector<std::string>{suggestedMergeSecondaryName(arguments.secondaries)};
  std::vector<std::string> outputs;
  for (const auto& name : suggested) {
    const auto path = outputPathFor(name, arguments.outDir);
    outputs.push_back(path);
    if (arguments.allCorrelations) {
      outputs.push_back(reportPathOf(path));
      outputs.push_back(tablePathOf(path));
    }
  }
  return outputs;
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
  checkSecondaries(arguments.secondaries);
  auto inputs = arguments.secondaries;
  if (withPrimary) inputs.push_back(arguments.primary);
  const auto outputs = plannedOutputs(arguments, withPrimary);
  checkOutputs(outputs, inputs);
  if (arguments.outDir) std::filesystem::create_directories(*arguments.outDir);

  CommandLineHost host(std::cerr, arguments.outDir, arguments.quiet, standardErrorIsTerminal());
  host.setInt(texts::kZTransformParameter, arguments.zTransform ? 1 : 0);
  host.setInt(texts::kBaselineParameter, arguments.baseline ? 1 : 0);
  host.setInt(texts::kAllCorrelationsParameter, arguments.allCorrelations ? 1 : 0);
  host.setString(texts::kSecondaryParameter, joinedLines(arguments.secondaries));
  if (withPrimary) host.setString(texts::kPrimaryParameter, arguments.primary);
  host.expectResults(withPrimary ? arguments.secondaries.size() : 1);

  const bool completed = mergeSdms(host, realFileSystem(), withPrimary);
  host.finishProgress();
  if (!completed) {
    std::cerr << host.lastMessage().value_or("") << '\n';
    return kDataPointMismatch;
  }
  return kSuccess;
}

int runCorrelations(const std::vector<std::string>& files, bool quiet) {
  std::vector<std::string> outputs;
  for (const auto& file : files) {
    outputs.push_back(reportPathOf(file));
    outputs.push_back(tablePathOf(file));
  }
  checkOutputs(outputs, files);

  CommandLineHost host(std::cerr, std::nullopt, quiet,
                       files.size() > 1 && standardErrorIsTerminal());
  bool anyFailed = false;
  for (std::size_t i = 0; i < files.size(); ++i) {
    host.progress(i + 1, files.size(), files[i]);
    host.setString(texts::kPrimaryParameter, files[i]);
    try {
      correlateSdm(host, realFileSystem());
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
