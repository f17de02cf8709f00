#include "study/pairing_table.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace duv {
namespace {

std::string tableOf(const std::vector<RunPlan>& runs) {
  std::ostringstream out;
  writePairingTable(runs, out);
  return out.str();
}

TEST(PairingTableTest, RunsShowTheirFieldsFilesAndOutputFolderInColumns) {
  const std::vector<RunPlan> patternRuns = {
      {"x_1.sdm",
       "sub-01/x_1.sdm",
       {"d/sub-01/c_1.tsv", "rp/sub-01.par"},
       {{"sub", "01"}, {"run", "1"}},
       "sub-01"},
      {"x_12.sdm",
       "sub-102/x_12.sdm",
       {"d/sub-102/c_12.tsv", "rp/sub-102.par"},
       {{"sub", "102"}, {"run", "12"}},
       ""},
  };
  EXPECT_EQ(tableOf(patternRuns),
            "sub  run  primary           confounds1          confounds2      output\n"
            "01   1    sub-01/x_1.sdm    d/sub-01/c_1.tsv    rp/sub-01.par   sub-01\n"
            "102  12   sub-102/x_12.sdm  d/sub-102/c_12.tsv  rp/sub-102.par  .\n");

  // A manifest's runs: no fields, as many confounds as each has, any byte in a name.
  const std::vector<RunPlan> manifestRuns = {
      {"a.sdm", "m/a.sdm", {"m/c.tsv"}, {}, "x"},
      {"b\tc.sdm", "m/b\tc.sdm", {"m/c.tsv", "m/rp\n.txt", "m/\x01.1D"}, {}, "y"},
  };
  EXPECT_EQ(tableOf(manifestRuns),
            "primary     confounds1  confounds2  confounds3  output\n"
            "m/a.sdm     m/c.tsv     -           -           x\n"
            "m/b\\tc.sdm  m/c.tsv     m/rp\\n.txt  m/\\x01.1D   y\n");

  EXPECT_EQ(tableOf({{"a.sdm", "a.sdm", {"c.tsv"}, {}, ""}}),
            "primary  confounds  output\n"
            "a.sdm    c.tsv      .\n");
}

}  // namespace
}  // namespace duv
