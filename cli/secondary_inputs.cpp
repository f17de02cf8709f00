#include "cli/secondary_inputs.h"

#include <algorithm>
#include <stdexcept>

#include "design/file_system.h"
#include "design/text.h"
#include "merge/host_services.h"
#include "merge/merge_workflow.h"

namespace duv::cli {
namespace {

constexpr const char* kZeroedLog = ">  Set leading n/a to 0 in: ";

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) {
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

bool anyInput(const std::vector<std::string>& paths, bool (*isKind)(std::string_view)) {
  return std::any_of(paths.begin(), paths.end(),
                     [isKind](const std::string& path) { return isKind(path); });
}

std::runtime_error notRead(const std::string& path) {
  return std::runtime_error(path +
                            " is not a file the tool reads: .sdm, .rtc, .tsv, .txt, .par or .1D");
}

}  // namespace

bool isSecondaryInput(const std::string& path) {
  return hasExtension(path, "sdm") || hasExtension(path, "rtc") || isConfoundFile(path);
}

ConfoundOptions confoundOptionsFor(const std::vector<std::string>& inputs,
                                   const ConfoundArguments& arguments) {
  // An option that no input takes is a mistake to report, not to pass over.
  if (!arguments.selection.empty() && !anyInput(inputs, isConfoundTable)) {
    throw std::runtime_error("--confounds selects columns of .tsv tables, and no input is one");
  }
  if ((arguments.derivatives || arguments.squares) && !anyInput(inputs, isMotionText)) {
    throw std::runtime_error(
        "--derivatives and --squares expand .txt, .par and .1D files, and no input is one");
  }
  if (arguments.skipVolumes != 0 && !anyInput(inputs, isConfoundFile)) {
    throw std::runtime_error(
        "--skip-volumes drops rows of .tsv, .txt, .par and .1D files, and no input is one");
  }
  ConfoundOptions options;
  for (const auto& text : arguments.selection) {
    options.selection.push_back(parseConfoundSelector(text));
  }
  options.skipVolumes = arguments.skipVolumes;
  options.derivatives = arguments.derivatives;
  options.squares = arguments.squares;
  return options;
}

ConfoundOptions checkSecondaryInputs(const std::vector<std::string>& secondaries,
                                     const ConfoundArguments& arguments) {
  // Unlike the dialog, the tool ignores no input: every secondary must be one it reads.
  for (const auto& path : secondaries) {
    if (path.find('\n') != std::string::npos) {
      throw std::runtime_error("a file name holds a line break: " + path);
    }
    if (!isSecondaryInput(path)) throw notRead(path);
  }
  return confoundOptionsFor(secondaries, arguments);
}

DesignMatrix readSecondaryInput(const std::string& path, const ConfoundOptions& options,
                                HostServices& host, FileSystem& files) {
  if (!isConfoundFile(path)) {
    auto matrix = readDialogSecondary(path, files);
    if (!matrix) throw notRead(path);
    return std::move(*matrix);
  }
  auto input = readConfoundFile(path, options, files);
  if (!input.zeroedColumns.empty()) host.log(kZeroedLog, joined(input.zeroedColumns));
  return std::move(input.matrix);
}

}  // namespace duv::cli
