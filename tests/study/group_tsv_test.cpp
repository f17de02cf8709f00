#include "study/group_tsv.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "tests/study/study_records.h"

namespace duv {
namespace {

std::string tsv(const std::vector<RunRecord>& runs) {
  std::ostringstream out;
  writeGroupTsv(runs, out);
  return out.str();
}

TEST(GroupTsvTest, OneRowPerRunByteForByte) {
  // Every value; a failed run; another session's run without head motion or a task pair, with
  // a contrast that is not estimable, one of its own, and numbers of many sizes.
  RunRecord complete = testing::completeRun("01", 1);
  complete.fields = {{"sub", "01"}, {"task", "faces"}};
  RunRecord failed =
      testing::failedRun("01", 2, "sub-01_run-2_motion.par, line 12:\texpected 6\r\nvalues");
  failed.fields = {{"sub", "01"}, {"task", "faces"}};
  RunRecord other = testing::completeRun("02", 1);
  other.fields = {{"ses", "b"}, {"sub", "02"}};
  other.name = "sub-02\tses-b.sdm";
  other.status = CheckStatus::error;
  other.residualDegreesOfFreedom = -3;
  other.highestTaskVif = {{"Cond\nB", 1234567.0}};
  other.strongestTaskConfound.reset();
  other.meanDisplacement.reset();
  other.maxDisplacement.reset();
  other.spikes.reset();
  other.contrasts = {{"D", true, 1e-9}, {"C", false, std::numeric_limits<double>::infinity()}};
  other.firstError = "rank 12 of 14";
  RunRecord small = testing::completeRun("03", 1);
  small.fields = {{"sub", "03"}};
  small.status = CheckStatus::ok;
  small.highestTaskVif->second = 1.0;
  small.strongestTaskConfound->r = 0.0;
  small.meanDisplacement = 0.000123456789;
  small.maxDisplacement = 100.0;
  small.spikes = 0;
  small.contrasts = {{"C", true, 123456.5}};
  small.reasons.clear();
  // Skipped: an input missing; a reason of several lines.
  RunRecord skipped = testing::failedRun(
      "04", 1,
      "no file for --confounds-from 'sub-{sub}_c.tsv' (looked for sub-04_c.tsv); "
      "sub-04_p.rtc: no such file");
  skipped.fields = {{"sub", "04"}};
  skipped.skipped = true;
  other.reasons = {"Cond\nB: VIF 1234567", "rank\t12"};

  EXPECT_EQ(tsv({complete, failed, other, small, skipped}),
            "sub\ttask\tses\tname\tstatus\tdata_points\tpredictors\tresidual_df\t"
            "highest_task_vif\thighest_task_vif_predictor\tstrongest_task_confound_r\t"
            "task_predictor\tconfound\tmean_fd\tmax_fd\tspikes\tA-B\tC\tD\tfirst_error\t"
            "reasons\n"
            "01\tfaces\t\tsub-01_run-1_task.sdm\tmedium\t240\t14\t226\t1.84\tCondition A\t"
            "-0.4125\tCondition A\ttx\t0.1234\t0.81\t3\t1.25\t2.5\t\t\t"
            "Condition A ~ tx r = -0.41; contrast A-B cVIF 1.25\n"
            "01\tfaces\t\tsub-01_run-2_task.sdm\tfailed\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
            "sub-01_run-2_motion.par, line 12: expected 6  values\t"
            "sub-01_run-2_motion.par, line 12: expected 6  values\n"
            "02\t\tb\tsub-02 ses-b.sdm\terror\t240\t14\t-3\t1.23457e+06\tCond B\t"
            "\t\t\t\t\t\t\tinf\t1e-09\trank 12 of 14\tCond B: VIF 1234567; rank 12\n"
            // 123456.5 lies halfway: to even.
            "03\t\t\tsub-03_run-1_task.sdm\tok\t240\t14\t226\t1\tCondition A\t0\t"
            "Condition A\ttx\t0.000123457\t100\t0\t\t123456\t\t\t\n"
            "04\t\t\tsub-04_run-1_task.sdm\tskipped\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"
            "no file for --confounds-from 'sub-{sub}_c.tsv' (looked for sub-04_c.tsv); "
            "sub-04_p.rtc: no such file\t"
            "no file for --confounds-from 'sub-{sub}_c.tsv' (looked for sub-04_c.tsv); "
            "sub-04_p.rtc: no such file\n");
}

TEST(GroupTsvTest, HeadersThatRepeatGetASuffix) {
  RunRecord run = testing::completeRun("01", 1);
  run.fields.emplace_back("name", "x");
  run.contrasts = {{"status", true, 2}, {"name.2", true, 3}};
  // The field "name" keeps it; the runs' names, the contrasts "status" and "name.2" follow.
  const auto text = tsv({run});
  EXPECT_EQ(text.substr(0, text.find('\n')),
            "sub\trun\tname\tname.2\tstatus\tdata_points\tpredictors\tresidual_df\t"
            "highest_task_vif\thighest_task_vif_predictor\tstrongest_task_confound_r\t"
            "task_predictor\tconfound\tmean_fd\tmax_fd\tspikes\tstatus.2\tname.2.2\tfirst_error\t"
            "reasons");
}

TEST(GroupTsvTest, NoRunsGiveTheHeaderAlone) {
  EXPECT_EQ(tsv({}),
            "name\tstatus\tdata_points\tpredictors\tresidual_df\thighest_task_vif\t"
            "highest_task_vif_predictor\tstrongest_task_confound_r\ttask_predictor\tconfound\t"
            "mean_fd\tmax_fd\tspikes\tfirst_error\treasons\n");
}

}  // namespace
}  // namespace duv
