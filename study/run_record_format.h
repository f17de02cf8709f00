#pragma once

// The run record's file, "<run name without its extension>.run.json" in the run's output
// folder: one JSON object, two-space indented, with a final line break; its keys always all
// present, in this order:
//
//   {
//     "schema": "duvendal-run/1",
//     "name": "sub-01_run-1.sdm",
//     "fields": [["sub", "01"], ["run", "1"]],        pattern fields in the record's order
//     "primary": "study/sub-01/sub-01_run-1.sdm",
//     "confounds": ["study/sub-01/sub-01_run-1_motion.par"],
//     "tool_version": "1.0.0",
//     "options": "--spikes fd:0.5",
//     "inputs": [{"path": "...", "size": 24012, "modified_ns": 1733580000123456789}],
//                                                      path: canonical, absolute; size: bytes;
//                                                      modified_ns: nanoseconds since
//                                                      1970-01-01 UTC
//     "outputs": ["sub-01/run-1/sub-01_run-1_motion.sdm"],
//     "check_page": "sub-01/run-1/sub-01_run-1.html",
//     "status": "ok",                                  ok, medium, high, error, failed or
//                                                      skipped
//     "first_error": null,                             or its text
//     "reasons": ["Face ~ trans_x r = 0.80"],          empty for an ok run
//     "data_points": 240,
//     "predictors": 14,
//     "residual_df": 226,                              may be negative
//     "highest_task_vif": {"predictor": "A", "vif": 1.8},              or null
//     "strongest_task_confound": {"task": "A", "confound": "tx", "r": -0.31},  or null
//     "mean_fd": 0.12,                                 or null
//     "max_fd": 0.81,                                  or null
//     "spikes": 3,                                     or null
//     "motion_rule_failed": false,
//     "contrasts": [{"name": "A-B", "estimable": false, "vif": "inf"}]
//   }
//
// Doubles are written in a shortest form that reads back to the same bits; the values JSON has
// no numbers for are the strings "inf", "-inf" and "nan". A text that is not valid UTF-8 (a file
// name in an older encoding) is the object {"hex": "..."}: its bytes, two lowercase hex digits
// each. Readers refuse any other schema, a missing or unknown key and a value of the wrong type;
// "reasons" and "motion_rule_failed" alone may be missing (records written before runs kept
// them), and read as no reasons and false.

#include <cstddef>
#include <iterator>
#include <optional>

#include "check/check_status.h"

namespace duv::run_record_format {

constexpr const char* kSchema = "duvendal-run/1";
constexpr const char* kFileSuffix = ".run.json";

// The stand-ins for the doubles JSON cannot hold, and the key of a text that is not UTF-8.
constexpr const char* kInfinity = "inf";
constexpr const char* kNegativeInfinity = "-inf";
constexpr const char* kNotANumber = "nan";
constexpr const char* kHexText = "hex";

// The status of a run the study skipped (RunRecord::skipped).
constexpr const char* kSkipped = "skipped";

// A run's statuses, in order of severity; in the file by their names (statusName), but for
// a skipped run's (a failed status) kSkipped.
constexpr CheckStatus kStatuses[] = {CheckStatus::ok, CheckStatus::medium, CheckStatus::high,
                                     CheckStatus::error, CheckStatus::failed};

// The place of `status` in that order; nothing for a status no run has.
constexpr std::optional<std::size_t> severityOf(CheckStatus status) {
  for (std::size_t i = 0; i < std::size(kStatuses); ++i) {
    if (kStatuses[i] == status) return i;
  }
  return std::nullopt;
}

}  // namespace duv::run_record_format
