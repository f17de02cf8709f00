#pragma once

// The `check` subcommand, and the names of the check pages that `corr` and the merges write per
// result.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/contrast_expression.h"
#include "check/contrasts.h"
#include "check/design_check.h"
#include "check/threshold_error.h"
#include "cli/tool_inputs.h"
#include "design/design_matrix.h"
#include "numerics/motion_rule.h"

namespace duv::cli {

enum class CheckFormat { text, tsv, json };

struct CheckArguments {
  std::vector<std::string> files;
  CheckFormat format = CheckFormat::text;
  CheckLevel failOn = CheckLevel::error;
  CheckThresholds thresholds;
  std::optional<std::string> html;
  ConfoundArguments confounds;  // for confound files among `files`; --spikes, --motion-layout
  bool showAll = false;         // findings among confounds one by one, not summed up
  // Head motion beside the designs: one file for every FILE, in order (or one for one FILE).
  std::vector<std::string> motion;
  std::string fdThresholds = "0.2,0.5";  // mm
  double maxScrubbedPercent = 25.0;      // of the volumes
  // The motion rule and the user's own limits, each replacing the rule's limit of its kind.
  std::string motionRule = "stringent";
  std::optional<std::string> maxMeanFd;      // MM
  std::optional<std::string> maxFd;          // MM
  std::optional<std::string> maxShareAbove;  // MM:PERCENT
  // Contrasts: --contrast NAME=EXPRESSION texts, in order, then those of a --contrasts file.
  std::vector<std::string> contrasts;
  std::optional<std::string> contrastsFile;
  ContrastThresholds contrastThresholds;
};

// The contrasts of the --contrast options, then those of the --contrasts file, each name once.
// Throws the contrasts file's errors (std::runtime_error, and OpenFileError when it cannot be
// read) and std::runtime_error "contrast \"<name>\" is asked for twice".
std::vector<Contrast> contrastsOf(const CheckArguments& arguments);

// Throws std::invalid_argument (a usage error) when --motion is not given once per FILE (or
// once for a single FILE), --max-scrubbed lies outside 0 to 100, or motionLimitsFor throws.
void validateMotionArguments(const CheckArguments& arguments);

// The limits of --motion-rule, each replaced by --max-mean-fd, --max-fd or --max-share-above
// where given. Throws std::invalid_argument (a usage error) naming the option first:
// "--motion-rule: unknown motion rule \"strict\": one of stringent, lenient, none",
// "--max-fd: \"-1\" is not a number of mm, 0 or more", and the other errors of
// parseDisplacementLimit and parseShareLimit (numerics/motion_rule.h) so.
MotionLimits motionLimitsFor(const CheckArguments& arguments);

// Checks every file (one that cannot be read is reported on standard error and the others are
// still checked; files are read as the merges read their secondaries, log lines going to
// standard error) with its head motion: from its --motion file, else from the file itself when
// it holds some (a motion design, a motion text file of six columns, a confound table with its
// motion columns); with --spikes its spike columns join the design before it is checked; writes the
// results to standard output in the chosen format and, with html, the page. Returns kFailure when a
// file could not be read, else kWarningsAtLevel when a warning reaches failOn, else kSuccess.
// Throws when the page would overwrite an input or cannot be written, and when a confound option
// fits no file (confoundOptionsFor).
int runCheck(const CheckArguments& arguments);

// The page of the design saved at `designPath`: inside `htmlDir`, its file name with ".html"
// in place of its extension.
std::string htmlPathFor(const std::string& designPath, const std::string& htmlDir);

// The option that sets `setting`, as the tool's usage errors name it: "--high-r", ...
std::string_view thresholdOption(ThresholdSetting setting);

}  // namespace duv::cli
