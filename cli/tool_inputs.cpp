#include "cli/tool_inputs.h"

#include <algorithm>
#include <stdexcept>

#include "design/confound_table.h"
#include "design/file_system.h"
#include "design/motion_options.h"

namespace duv::cli {
namespace {

bool anyInput(const std::vector<std::string>& paths, bool (*isKind)(std::string_view)) {
  return std::any_of(paths.begin(), paths.end(),
                     [isKind](const std::string& path) { return isKind(path); });
}

}  // namespace

void requireSelectionsInTables(const std::vector<std::string>& inputs,
                               const std::vector<ConfoundSelector>& selection) {
  if (std::none_of(selection.begin(), selection.end(), [](const ConfoundSelector& selector) {
        return selector.kind == ConfoundSelector::Kind::name;
      })) {
    return;
  }
  for (const auto& path : inputs) {
    if (!isConfoundTable(path)) continue;
    const auto names = readConfoundTableHeader(realFileSystem().readFile(path), path);
    duv::requireKnownSelections(names, path, selection);
  }
}

InputFile toolInput(const std::string& path) {
  return inputFileAt(path, kToolReader, realFileSystem());
}

std::vector<InputFile> toolInputs(const std::vector<std::string>& paths) {
  std::vector<InputFile> inputs;
  inputs.reserve(paths.size());
  for (const auto& path : paths) inputs.push_back(toolInput(path));
  return inputs;
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
  if (arguments.skipLastVolumes != 0 && !anyInput(inputs, isConfoundFile)) {
    throw std::runtime_error(
        "--skip-last-volumes drops rows of .tsv, .txt, .par and .1D files, and no input is one");
  }
  ConfoundOptions options;
  for (const auto& text : arguments.selection) {
    options.selection.push_back(parseConfoundSelector(text));
  }
  requireSelectionsInTables(inputs, options.selection);
  options.skipVolumes = arguments.skipVolumes;
  options.skipLastVolumes = arguments.skipLastVolumes;
  options.derivatives = arguments.derivatives;
  options.squares = arguments.squares;
  return options;
}

MotionReading motionReadingFor(const ConfoundArguments& arguments) {
  MotionReading reading;
  if (arguments.motionLayout) reading.textLayout = parseMotionLayout(*arguments.motionLayout);
  reading.skipVolumes = arguments.skipVolumes;
  reading.skipLastVolumes = arguments.skipLastVolumes;
  return reading;
}

std::optional<SpikeOptions> spikeOptionsFor(const ConfoundArguments& arguments) {
  if (!arguments.spikes) return std::nullopt;
  for (const auto& text : arguments.selection) {
    if (parseConfoundSelector(text).kind == ConfoundSelector::Kind::outliers) {
      throw std::invalid_argument(
          "--spikes and --confounds outliers would give the same spike columns twice: ask for "
          "one of them");
    }
  }
  SpikeOptions options;
  options.criterion = parseSpikeCriterion(*arguments.spikes);
  options.motionTextLayout = motionReadingFor(arguments).textLayout;
  return options;
}

}  // namespace duv::cli
