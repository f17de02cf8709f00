#pragma once

// Run records for the tests of the study's files and group outputs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "study/run_record.h"

namespace duv::testing {

// A run that went through, with every value set: fields sub and run, two confounds, two
// inputs, a highest task VIF, a task ~ confound pair, head motion, two contrasts and two
// reasons.
RunRecord completeRun(const std::string& subject, int run);

// A run an error stopped: its fields, name, inputs, status "failed" and first error only (its
// one reason).
RunRecord failedRun(const std::string& subject, int run, const std::string& error);

// A study of `runs` runs (four per subject, subjects "01", "02", ...) with values drawn from
// `seed`: mean FD and highest task VIF skewed, with a few runs far above the others (so that
// Tukey's fence names them), some runs without head motion, some failed, and now and then an
// infinite VIF and a contrast that is not estimable.
std::vector<RunRecord> simulatedStudy(std::size_t runs, std::uint32_t seed);

}  // namespace duv::testing
