// The layering check run on small trees: each include against the direction of the layers is
// found and named, and nothing else is.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv::testing {
namespace {

namespace fs = std::filesystem;

// A tree in which every layer includes what it may.
const std::vector<std::pair<std::string, std::string>> kSoundTree = {
    {"design/design_matrix.h", "#include <vector>\n#include \"design/header_field.h\"\n"},
    {"merge/predictors.cpp", "#include \"merge/predictors.h\"\n#include \"design/text.h\"\n"},
    {"numerics/motion_spikes.cpp", "#include \"design/design_matrix.h\"\n"},
    {"stats/correlation.h", "#include \"numerics/column_statistics.h\"\n"},
    {"check/design_check.cpp", "#include \"design/design_matrix.h\"\n"},
    {"workflow/merge_workflow.cpp",
     "#include \"merge/predictors.h\"\n#include \"stats/correlation.h\"\n"
     "#include \"check/design_check.h\"\n"},
    {"plugin/dialog_tasks.cpp", "#include \"workflow/merge_workflow.h\"\n"},
    {"cli/commands.cpp", "#include <CLI/CLI.hpp>\n#include \"workflow/merge_workflow.h\"\n"},
    {"tests/anything_test.cpp", "#include \"cli/commands.h\"\n#include \"plugin/duvendal.h\"\n"},
};

ProcessResult checkTree(const std::vector<std::pair<std::string, std::string>>& files) {
  TempDir tree;
  for (const auto& [path, text] : files) {
    fs::create_directories((tree.path() / path).parent_path());
    writeText(tree.file(path), text);
  }
  return runProcess({sourceDir() + "/scripts/check_layers", tree.path().string()});
}

TEST(CheckLayersTest, IncludesAgainstTheLayersAreFoundWithTheirPlace) {
  struct Case {
    std::string file;
    std::string text;
    std::string finding;  // empty: none
  };
  const Case cases[] = {
      {"merge/constant_predictor.h", "#include \"design/design_matrix.h\"\n", ""},
      {"design/text.cpp", "\n#include \"merge/predictors.h\"\n",
       "design/text.cpp:2: includes \"merge/predictors.h\"; design/ may include only: design\n"},
      {"stats/correlation.cpp", "#  include \"merge/z_transform.h\"\n",
       "stats/correlation.cpp:1: includes \"merge/z_transform.h\"; stats/ may include only: "
       "design numerics stats\n"},
      {"merge/z_transform.cpp", "#include \"workflow/merge_workflow.h\"\n",
       "merge/z_transform.cpp:1: includes \"workflow/merge_workflow.h\"; merge/ may include "
       "only: design numerics merge\n"},
      {"check/check_html.cpp", "#include \"../stats/matrix.h\"\n",
       "check/check_html.cpp:1: includes \"../stats/matrix.h\"; check/ may include only: design "
       "numerics check\n"},
      {"workflow/result_names.cpp", "#include \"plugin/dialog_texts.h\"\n",
       "workflow/result_names.cpp:1: includes \"plugin/dialog_texts.h\"; workflow/ may include "
       "only: design numerics merge stats check workflow\n"},
      {"plugin/host_bridge.cpp", "#include \"cli/tool_log.h\"\n",
       "plugin/host_bridge.cpp:1: includes \"cli/tool_log.h\"; plugin/ may include only: design "
       "numerics merge stats check workflow plugin\n"},
      {"cli/main.cpp", "#include \"tests/support/process.h\"\n",
       "cli/main.cpp:1: includes \"tests/support/process.h\"; cli/ may include only: design "
       "numerics merge stats check workflow study cli\n"},
      {"cli/local.cpp", "#include \"tool_log.h\"\n",
       "cli/local.cpp:1: includes \"tool_log.h\"; cli/ may include only: design numerics merge "
       "stats "
       "check workflow study cli\n"},
      {"design/sdm_reader.cpp", "#include \"numerics/column_statistics.h\"\n",
       "design/sdm_reader.cpp:1: includes \"numerics/column_statistics.h\"; design/ may include "
       "only: design\n"},
      {"numerics/motion_summary.cpp", "#include \"stats/correlation.h\"\n",
       "numerics/motion_summary.cpp:1: includes \"stats/correlation.h\"; numerics/ may include "
       "only: design numerics\n"},
      {"study/study_runner.cpp", "#include \"cli/tool_log.h\"\n",
       "study/study_runner.cpp:1: includes \"cli/tool_log.h\"; study/ may include only: design "
       "numerics merge stats check workflow study\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    auto files = kSoundTree;
    files.emplace_back(c.file, c.text);
    const auto result = checkTree(files);
    EXPECT_EQ(result.exitCode, c.finding.empty() ? 0 : 1) << result.err;
    EXPECT_EQ(result.out, c.finding);
  }
}

TEST(CheckLayersTest, TheProjectItselfKeepsItsLayers) {
  const auto result = runProcess({sourceDir() + "/scripts/check_layers", sourceDir()});
  EXPECT_EQ(result.exitCode, 0) << result.out;
  EXPECT_EQ(result.out, "");
}

}  // namespace
}  // namespace duv::testing
