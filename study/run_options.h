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
#include "design/export_formats.h"
#include "numerics/event_design.h"
#include "numerics/motion_summary.h"
#include "workflow/head_motion.h"

namespace duv {

// How a run's task design is built from its events file (its primary).
struct EventsRunOptions {
  // repetitionTime 0: each run's from its BOLD sidecars; volumes 0: each run's from the rows of
  // its first confound input.
  EventDesignOptions design;
  std::vector<std::string> conditions;  // kept by name; empty: all
};

struct RunOptions {
  // Runs from events: the primary is an events file whose design is built first.
  std::optional<EventsRunOptions> events;

  // The merge of each run.
  bool baseline = true;
  bool zTransform = false;
  bool reports = false;  // the correlation report and table beside each result
  ConfoundOptions confounds;
  std::optional<SpikeOptions> spikes;
  MotionReading motionReading;  // of the runs' motion inputs
  // Written beside each result's SDM file (--export).
  std::vector<const ExportFormat*> exports;
  // The task predictors of a primary TSV design without a sidecar (readTaskDesignFile).
  std::vector<std::string> taskColumns;

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
