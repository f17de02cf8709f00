#pragma once

// The `check` subcommand, and the check page that `corr` and the merges write per result.

#include <optional>
#include <string>
#include <vector>

#include "check/design_check.h"
#include "cli/tool_inputs.h"
#include "design/design_matrix.h"

namespace duv::cli {

enum class CheckFormat { text, tsv, json };

struct CheckArguments {
  std::vector<std::string> files;
  CheckFormat format = CheckFormat::text;
  CheckLevel failOn = CheckLevel::error;
  CheckThresholds thresholds;
  std::optional<std::string> html;
  ConfoundArguments confounds;  // for confound files among `files`
  bool showAll = false;         // findings among confounds one by one, not summed up
};

// Checks every file (one that cannot be read is reported on standard error and the others are
// still checked; files are read as the merges read their secondaries, log lines going to
// standard error), writes the results to standard output in the chosen format and, with html,
// the page. Returns kFailure when a file could not be read, else kWarningsAtLevel when a
// warning reaches failOn, else kSuccess. Throws when the page would overwrite an input or
// cannot be written, and when a confound option fits no file (confoundOptionsFor).
int runCheck(const CheckArguments& arguments);

// The page of the design saved at `designPath`: inside `htmlDir`, its file name with ".html"
// in place of its extension.
std::string htmlPathFor(const std::string& designPath, const std::string& htmlDir);

// Checks `design` with the default thresholds and writes its page, naming it `path`, to
// `htmlPath` (atomically, creating htmlPath's folder when it is missing). Throws the writer's
// errors.
void writeDesignHtml(const std::string& path, const DesignMatrix& design,
                     const std::string& htmlPath);

}  // namespace duv::cli
