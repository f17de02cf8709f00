#pragma once

// The files the tool reads as designs (the merges' secondaries, the files `check` checks): the
// dialog's SDM and RTC files, and the confound files of other tools (confound tables and motion
// text files). Unlike the dialog, the tool passes over no input: a file of another kind is an
// error.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design/confound_file.h"
#include "workflow/head_motion.h"
#include "workflow/input_files.h"

namespace duv::cli {

// The confound options as given on the command line, before they are checked.
struct ConfoundArguments {
  std::vector<std::string> selection;  // --confounds, in order
  std::size_t skipVolumes = 0;
  std::size_t skipLastVolumes = 0;  // --skip-last-volumes
  bool derivatives = false;
  bool squares = false;
  std::optional<std::string> spikes;        // --spikes fd:<mm>
  std::optional<std::string> motionLayout;  // --motion-layout, for motion text files
};

// How motion inputs are read: --motion-layout, --skip-volumes and --skip-last-volumes.
MotionReading motionReadingFor(const ConfoundArguments& arguments);

// The spike columns --spikes asks for; none without it. Throws std::invalid_argument when the
// outliers preset of --confounds is asked too (both would give the same columns).
std::optional<SpikeOptions> spikeOptionsFor(const ConfoundArguments& arguments);

// How the tool names itself in the error for a file it does not read (inputFileAt).
inline constexpr std::string_view kToolReader = "the tool";

// The path with its format (inputFileAt on the disk). Throws std::runtime_error naming the path
// when it is not ".sdm", ".rtc", ".tsv", ".txt", ".par" or ".1D".
InputFile toolInput(const std::string& path);
// toolInput of each path, in order.
std::vector<InputFile> toolInputs(const std::vector<std::string>& paths);

// A name selection that a table among `inputs` does not have is the command line's mistake:
// throws UnknownSelectionError (requireKnownSelections), before anything is merged or checked,
// reading only the tables' header rows (their errors pass on). Nothing is read when
// `selection` holds presets alone.
void requireSelectionsInTables(const std::vector<std::string>& inputs,
                               const std::vector<ConfoundSelector>& selection);

// Throws std::runtime_error naming the option for a confound option that none of `inputs` takes
// (a selection without a table, expansions without a text file, skipped volumes without
// either), and requireSelectionsInTables' errors. Returns the options for the readers.
ConfoundOptions confoundOptionsFor(const std::vector<std::string>& inputs,
                                   const ConfoundArguments& arguments);

}  // namespace duv::cli
