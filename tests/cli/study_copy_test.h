#pragma once

// A fixture for tests of the command-line tool: a fresh folder holding a copy of the example
// study, in which the built tool runs as a process.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/temp_dir.h"

namespace duv::testing {

// The example study's patterns, from the folder the copy is in.
inline const std::string kExamplePrimary =
    "examples/study/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm";
inline const std::string kExampleTables =
    "examples/study/derivatives/sub-{sub}/func/"
    "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv";

class StudyCopyTest : public ::testing::Test {
 protected:
  StudyCopyTest() {
    std::filesystem::copy(std::filesystem::path(sourceDir()) / "examples", dir_.path() / "examples",
                          std::filesystem::copy_options::recursive);
  }

  // Runs the tool with `arguments` in the folder.
  ProcessResult run(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), DUVENDAL_TOOL);
    return runProcess(arguments, dir_.path().string());
  }

  std::string file(const std::string& relative) const { return dir_.file(relative); }
  bool exists(const std::string& relative) const {
    return std::filesystem::exists(dir_.path() / relative);
  }
  std::string text(const std::string& relative) const { return readText(file(relative)); }

  TempDir dir_;
};

}  // namespace duv::testing
