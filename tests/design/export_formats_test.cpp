// The exports: which names --export takes, where their files go, and the packages' text files.

#include "design/export_formats.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/support/design_builder.h"
#include "tests/support/expect_error.h"

namespace duv {
namespace {

using testing::expectError;
using testing::makeMatrix;

std::vector<std::string> fileNames(const std::string& text) {
  std::vector<std::string> names;
  for (const auto* format : savedFormats(parseExportFormats(text))) {
    names.push_back(pathInFormat("out/run1.sdm", *format));
  }
  return names;
}

TEST(ExportFormatsTest, EachExportNamesItsFilesOnceInTheOrderGiven) {
  struct Case {
    const char* text;
    std::vector<std::string> files;  // after the SDM file
  };
  const Case cases[] = {
      {"tsv", {"out/run1.tsv", "out/run1.json"}},
      {"afni,fsl", {"out/run1_afni.1D", "out/run1_fsl.txt"}},
      {"spm,tsv,spm", {"out/run1_spm.mat", "out/run1.tsv", "out/run1.json"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto expected = c.files;
    expected.insert(expected.begin(), "out/run1.sdm");
    EXPECT_EQ(fileNames(c.text), expected);
  }
  EXPECT_EQ(exportNames(parseExportFormats("fsl,tsv,fsl")), "fsl,tsv");

  const std::pair<const char*, const char*> refused[] = {
      {"csv", "unknown export format \"csv\": the formats are tsv, spm, fsl and afni"},
      {"TSV", "unknown export format \"TSV\": the formats are tsv, spm, fsl and afni"},
      {"tsv,,fsl", "unknown export format \"\": the formats are tsv, spm, fsl and afni"},
      {"", "--export: no format named"},
  };
  for (const auto& [text, message] : refused) {
    expectError<std::invalid_argument>([&] { parseExportFormats(text); }, message);
  }
}

std::string written(const DesignFormat& format, const DesignMatrix& design) {
  std::ostringstream out;
  format.write(design, out);
  return out.str();
}

// The packages' text files hold the confounds alone, the constant and task columns left out.
TEST(ExportFormatsTest, FslAndAfniFilesHoldTheConfoundsWithoutTheConstant) {
  auto design = makeMatrix("a.sdm", 2, 2,
                           {{"faces", {0, 1}},
                            {"rot_x_power2", {1.2226748e-07F, -0.5F}},
                            {"motion_outlier00", {0, 1}},
                            {"Constant", {1, 1}}});
  design.includesConstant.value = true;
  EXPECT_EQ(written(kFslFormat, design), "1.2226748e-07 0\n-0.5 1\n");
  EXPECT_EQ(written(kAfniFormat, design),
            "# <matrix\n#  ni_type = \"2*double\"\n#  ni_dimen = \"2\"\n"
            "#  ColumnLabels = \"rot_x_power2 ; motion_outlier00\"\n# >\n"
            " 1.2226748e-07 0\n -0.5 1\n# </matrix>\n");

  design.predictorNames[1] = "a;b";
  expectError<std::runtime_error>([&] { written(kAfniFormat, design); },
                                  "the predictor name \"a;b\" holds a double quote, a semicolon "
                                  "or a line break, which an AFNI column label cannot");
}

}  // namespace
}  // namespace duv
