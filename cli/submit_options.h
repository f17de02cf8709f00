#pragma once

// The options of `duvendal study` that hand a study to a cluster (--submit and its companions,
// and --run-list, by which a task is given its runs), and the command's options as given.

#include <CLI/CLI.hpp>

#include <vector>

#include "cli/study_command.h"

namespace duv::cli {

void addSubmitOptions(CLI::App& command, StudyArguments& arguments);

// Every option of the parsed `command` the user gave, by its long name (its short one when it
// has none), once per time given, in the order the options were added; flags with their value
// ("true" when given alone).
std::vector<GivenOption> givenOptions(const CLI::App& command);

}  // namespace duv::cli
