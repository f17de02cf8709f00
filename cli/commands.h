#pragma once

// The subcommands of the command-line tool. Each returns the process's exit code and throws
// std::exception-derived errors for failures that end the whole run.

#include <optional>
#include <string>
#include <vector>

#include "cli/tool_inputs.h"

namespace duv::cli {

enum ExitCode : int {
  kSuccess = 0,
  kFailure = 1,
  kDataPointMismatch = 2,
  kWarningsAtLevel = 3,  // check: a warning reached the --fail-on level
  kUsage = 64
};

struct MergeArguments {
  std::string primary;  // merge-all only
  std::vector<std::string> secondaries;
  std::optional<std::string> outDir;
  bool baseline = true;
  bool zTransform = false;
  bool allCorrelations = false;
  bool quiet = false;
  ConfoundArguments confounds;
  std::optional<std::string> htmlDir;  // a check page per result, inside this folder
};

// The "mergeall" (withPrimary) and "mergesec" tasks.
int runMerge(const MergeArguments& arguments, bool withPrimary);

// The "sdm1corr" task for every file; a failing file does not stop the others. With htmlDir,
// also a check page per file inside that folder (also when only the report's inversion failed).
int runCorrelations(const std::vector<std::string>& files, bool quiet,
                    const std::optional<std::string>& htmlDir);

}  // namespace duv::cli
