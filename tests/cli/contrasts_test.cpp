// Contrasts through the tool, on copies of the example study: given as options or a file,
// reported in every format, refused where they cannot be made.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/cli/study_copy_test.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using ContrastsTest = testing::StudyCopyTest;

const char* const kBroken = "examples/bad/sub01_task_motion_broken.sdm";

TEST_F(ContrastsTest, ContrastsFromOptionsAndAFileAreCheckedOnEveryDesign) {
  testing::writeText(file("contrasts.tsv"),
                     "name\texpression\r\nC\t\"Condition C\"\r\n\r\nD\t\"Condition D\"\r\n");
  const auto result = run({"check", "examples/sub01_task.sdm", kBroken, "--contrasts",
                           "contrasts.tsv", "--contrast", "A-B=\"Condition A\" - \"Condition B\""});
  EXPECT_EQ(result.exitCode, 3) << result.err;
  // On the broken design, A - B is estimable although both sit in a dependency (their sum is
  // the third); D is not: its twin is in the design.
  EXPECT_NE(result.out.find("  ERROR   contrast \"D\": not estimable: it falls into the "
                            "dependency of Condition D and Condition D (again)\n"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("  A-B       yes        "), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("  D         no         -        -           error   "
                            "\"Condition D\"\n"),
            std::string::npos)
      << result.out;

  const auto json = nlohmann::json::parse(
      run({"check", "--format", "json", kBroken, "--contrast", "C=\"Condition C\""}).out);
  const auto& contrast = json["files"][0]["contrasts"][0];
  EXPECT_EQ(contrast["name"], "C");
  EXPECT_EQ(contrast["estimable"], true);
  // A one-predictor contrast's VIF is that predictor's VIF.
  EXPECT_NEAR(contrast["contrast_vif"].get<double>(),
              json["files"][0]["columns"][2]["vif"].get<double>(), 1e-9);
  const auto tsv = run({"check", "--format", "tsv", kBroken, "--contrast", "C=\"Condition C\""});
  // A row of its own: "contrast" in the row column, its level, then its own columns.
  EXPECT_NE(tsv.out.find("\tcontrast\t\tok" + std::string(8, '\t') + "C\t\"Condition C\"\tyes\t"),
            std::string::npos)
      << tsv.out;
}

TEST_F(ContrastsTest, ContrastsThatCannotBeMadeAreErrorsSayingWhereAndWhy) {
  testing::writeText(file("bad.tsv"), "name\texpression\nF-H\tFaces -\n");
  testing::writeText(file("twice.tsv"), "name\texpression\nC\t\"Condition C\"\n");
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string error;
  };
  const Case cases[] = {
      {{"--contrast", "F-H=Faces - "},
       64,
       "Error: --contrast: contrast \"F-H\": expected a predictor name at column 8 in "
       "\"Faces - \"\nRun 'duvendal --help' for more information.\n"},
      {{"--contrast", "Faces"},
       64,
       "Error: --contrast: contrast option \"Faces\" has no \"=\": write NAME=EXPRESSION\n"
       "Run 'duvendal --help' for more information.\n"},
      {{"--high-cvif", "2"},
       64,
       "Error: --high-cvif must be at least --medium-cvif\n"
       "Run 'duvendal --help' for more information.\n"},
      {{"--contrasts", "bad.tsv"},
       1,
       "Error: bad.tsv, line 2: contrast \"F-H\": expected a predictor name at column 8 in "
       "\"Faces -\"\n"},
      {{"--contrasts", "twice.tsv", "--contrast", "C=\"Condition C\""},
       1,
       "Error: contrast \"C\" is asked for twice\n"},
      {{"--contrasts", "missing.tsv"}, 1, "Error: Failed opening for reading: missing.tsv\n"},
  };
  for (const auto& c : cases) {
    auto arguments = c.arguments;
    arguments.insert(arguments.begin(), {"check", "examples/sub01_task.sdm"});
    const auto result = run(arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments[1];
    EXPECT_EQ(result.err, c.error);
  }
  // A name a design does not have is that design's error; the others are still checked.
  const auto missing = run({"check", "examples/sub01_task.sdm", "examples/sub01_motion_run1.sdm",
                            "--contrast", "A=Condition_A"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err,
            "Error: contrast \"A\" names \"Condition_A\", which the design does not have (close: "
            "\"Condition A\", \"Condition B\", \"Condition C\")\n"
            "Error: contrast \"A\" names \"Condition_A\", which the design does not have\n");
  EXPECT_NE(missing.out.find("examples/sub01_task.sdm: cannot be checked: contrast \"A\""),
            std::string::npos)
      << missing.out;
  const auto constant =
      run({"check", "examples/sub01_task.sdm", "--contrast", "K=Constant - \"Condition A\""});
  EXPECT_EQ(constant.exitCode, 1);
  EXPECT_EQ(constant.err,
            "Error: contrast \"K\" names \"Constant\", a constant predictor: contrasts weigh "
            "predictors that vary\n");
}

}  // namespace
}  // namespace duv
