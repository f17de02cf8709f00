#pragma once

// The example study's runs as a BIDS dataset keeps them: each run's events and the dataset's
// BOLD sidecar, for building its task designs from events (`duvendal study --events`).

#include <cstdint>
#include <vector>

#include "examples/generator/study_generator.h"

namespace duv::examples {

// For each run of exampleStudy(shape, seed), the blocks of its task design as events
// (sub-XX/func/sub-XX_task-faces_run-Y_events.tsv: onset and duration in seconds, trial_type
// "Condition A" ...), the same blocks its design holds; and at the study's root the dataset's
// description (dataset_description.json) and the sidecar every run inherits its repetition time
// from (task-faces_bold.json, 2 s).
std::vector<StudyFile> exampleStudyEvents(const StudyShape& shape, std::uint64_t seed);

}  // namespace duv::examples
