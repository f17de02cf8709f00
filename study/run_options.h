#pragma once

// What every run of a study does: the options of its merge and of its check, the same for every
// run. How the runner goes about the runs (where, how many at a time) is RunnerSettings
// (study/study_runner.h).

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/contrast_expression.h"
#include "check/contrasts.h"
#include "check/design_check.h"
#include "design/confound_file.h"
#include "numerics/motion_summary.h"
#include "workflow/head_motion.h"

namespace duv {

struct RunOptions {
  // The merge of each run.
  bool baseline = true;
  bool zTransform = false;
  bool reports = false;  // the correlation report and table beside each result
  ConfoundOptions confounds;
  std::optional<SpikeOptions> spikes;
  MotionReading motionReading;  // of the runs' motion inputs

  // The check of each result.
  CheckThresholds thresholds;
  ContrastThresholds contrastThresholds;
  std::vector<Contrast> contrasts;
  MotionSummaryOptions motion;
};

// The options as one text that changes whenever an option changes what a run writes: the
// record of a run keeps it, and a run whose options differ is done again. Contrasts are in it by
// their names and weights, so an edited contrasts file counts too.
std::string canonicalText(const RunOptions& options);

}  // namespace duv
