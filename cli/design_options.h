#pragma once

// The options of a task design built from events, shared by `duvendal design` and the study's
// events runs, and the design command's help footer.

#include <CLI/CLI.hpp>

#include "cli/design_command.h"

namespace duv::cli {

// --hrf, --fir-delays, --drift, --high-pass, --drift-order, --slice-time-ref, --min-onset and
// --conditions, into `arguments`.
void addDesignOptions(CLI::App& command, DesignOptionArguments& arguments);

// What the design command builds and how it reads events.
extern const char* const kDesignFooter;

}  // namespace duv::cli
