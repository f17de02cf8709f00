#pragma once

// group.tsv: a study's runs as one table for scripts. A header line, then one line per run in
// the order given; fields separated by tabs, lines ended by "\n". Columns, in this order:
//
//   <field>...                  one per pattern field: the union of the runs' field names, in
//                               first-seen order; empty for a run without that field
//   name                        the run's name (its primary's file name)
//   status                      ok, medium, high, error (the status of the run's check),
//                               failed (an error stopped the run; see first_error), or skipped
//                               (--allow-missing left it out; first_error says which input is
//                               missing)
//   data_points                 the merged design's data points
//   predictors                  its predictors
//   residual_df                 its residual degrees of freedom (may be negative)
//   highest_task_vif            the highest VIF of a task predictor
//   highest_task_vif_predictor  that predictor
//   strongest_task_confound_r   the strongest correlation between a task predictor and a
//                               confound (r, signed: the largest |r|)
//   task_predictor, confound    those two predictors
//   mean_fd, max_fd             mean and largest framewise displacement, mm
//   spikes                      volumes above the spike threshold
//   <contrast>...               one per contrast: the union of the runs' contrast names, in
//                               first-seen order; the contrast's VIF, "inf" when it is not
//                               estimable; empty for a run without that contrast
//   first_error                 the first error of the run, if any
//   reasons                     why the run is not ok, most important first, "; " between:
//                               its check's reasons, or a failed or skipped run's first error;
//                               empty for an ok run
//
// A cell is empty where the run lacks the value: every value but the fields, run, status,
// first_error and reasons of a failed or skipped run; the task columns of a design without task
// predictors or confounds; the head motion columns of a run without head motion. Texts never
// hold tabs or line breaks (they become blanks). Numbers have six significant digits ("0.123457",
// "1e-09"), "inf" for infinity, whatever the locale. A header that would repeat an earlier one gets
// ".2", ".3", ... appended (a field named "name" keeps it, and the runs' names go to "name.2").

#include <iosfwd>
#include <vector>

#include "study/run_record.h"

namespace duv {

// Stream failures are left in the stream's state, not thrown.
void writeGroupTsv(const std::vector<RunRecord>& runs, std::ostream& out);

}  // namespace duv
