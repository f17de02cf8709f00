// A build without libmatio (as the Windows one): the SPM export is named but refused, before
// anything is written, and the other exports are as in every build.

#include <gtest/gtest.h>

#include "design/export_formats.h"
#include "tests/support/expect_error.h"

namespace duv {
namespace {

TEST(MatFilesAbsentTest, TheSpmExportIsRefusedAndTheOthersStay) {
  EXPECT_EQ(kSpmFormat.write, nullptr);
  for (const char* text : {"spm", "tsv,spm"}) {
    testing::expectError<std::invalid_argument>(
        [&] { parseExportFormats(text); },
        "--export spm: not available in this build (made without libmatio)");
  }
  EXPECT_EQ(exportNames(parseExportFormats("tsv,fsl,afni")), "tsv,fsl,afni");
}

}  // namespace
}  // namespace duv
