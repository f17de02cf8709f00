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
