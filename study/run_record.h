#pragma once

// What a study keeps of one run, beside its outputs: enough to tell whether the run must be
// done again (the tool's version, the options, each input's size and modification time) and
// everything the study's group outputs show of it, so that they can be built from the records
// alone (duvendal study --group-only).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "check/check_status.h"
#include "design/file_system.h"

namespace duv {

// One input file as it was when the run read it.
struct RunInput {
  // Canonical (FileSystem::canonicalPath): the same file named another way, or from another
  // folder, is the same input.
  std::string path;
  std::uint64_t size = 0;       // bytes
  std::int64_t modifiedNs = 0;  // modification time, nanoseconds since 1970-01-01 UTC

  friend bool operator==(const RunInput&, const RunInput&) = default;
};

struct RunContrast {
  std::string name;
  bool estimable = false;
  double vif = 0.0;  // infinite when not estimable
};

struct RunRecord {
  // Which run.
  std::string name;                                         // its primary's file name
  std::vector<std::pair<std::string, std::string>> fields;  // pattern fields and their values
  std::string primary;
  std::vector<std::string> confounds;

  // Whether it must be done again.
  std::string toolVersion;
  std::string options;  // the options that shape its outputs, as one canonical text
  std::vector<RunInput> inputs;
  std::vector<std::string> outputs;  // paths relative to the study's output folder
  std::string checkPage;             // the run's check page, relative to the output folder

  // How it went: ok, medium, high, error (its check's status), or failed (an error stopped it;
  // firstError says which). Never unreadable.
  CheckStatus status = CheckStatus::ok;
  std::optional<std::string> firstError;
  // The study did not do the run (--allow-missing left it out for want of an input): its status
  // is failed, firstError says which input is missing, and it has no outputs. Its status's text
  // is "skipped" (runStatusName), and it changes no exit code.
  bool skipped = false;
  // Why the run is not ok, one short line each, most important first: its check's reasons
  // (reasonsOf, check/check_reasons.h), or a failed or skipped run's first error. Empty for an
  // ok run, and for a record written before runs kept their reasons. An events run's design
  // warnings (events past its end, ...) follow its check's reasons, also when it is ok.
  std::vector<std::string> reasons;
  // Its head motion reached a level that counts toward its status: a motion rule failed.
  bool failedMotionRule = false;

  // What the group outputs show; absent for a failed run.
  std::size_t dataPoints = 0;
  std::size_t predictors = 0;
  std::int64_t residualDegreesOfFreedom = 0;
  std::optional<std::pair<std::string, double>> highestTaskVif;  // predictor, VIF
  // The strongest |r| between a task predictor and a confound: the two names and r (signed).
  struct Pair {
    std::string task;
    std::string confound;
    double r = 0.0;
  };
  std::optional<Pair> strongestTaskConfound;
  std::optional<double> meanDisplacement;  // mm, with head motion
  std::optional<double> maxDisplacement;
  std::optional<std::size_t> spikes;  // volumes above the spike threshold
  std::vector<RunContrast> contrasts;
};

// "skipped" for a skipped run, else its status's name (statusName).
const char* runStatusName(const RunRecord& record);

// Each path's canonical path, size and modification time as they are now; what is not a file
// (gone, a folder, not to be looked at) gets size 0 and time 0, which no recorded input matches.
std::vector<RunInput> currentInputs(const std::vector<std::string>& paths, FileSystem& files);

// What makes `record`, found in the folder `runFolder` of a study (relative to the study's
// output folder, as RunPlan::outputFolder), other than the study left it: an output or a check
// page that is not a file directly in that folder. Nothing when it is as the study left it. The
// text names the key and its value:
//   output "../b/x.sdm" does not lie in its run's folder "a"
//   check page "group.html" does not lie in its run's folder "a"
std::optional<std::string> misplacedOutput(const RunRecord& record, const std::string& runFolder);

// Whether `record` stands for the run asked now: done by this version of the tool, with these
// options and these inputs as they are, not failed, and with every one of its outputs a file in
// `outputFolder`. Such a run need not be done again.
bool isUpToDate(const RunRecord& record, const std::string& toolVersion, const std::string& options,
                const std::vector<RunInput>& inputs, const std::string& outputFolder,
                FileSystem& files);

}  // namespace duv
