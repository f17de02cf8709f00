#pragma once

// A copy of the example study in a fresh folder, so that sessions may write beside its files,
// and the record lines that the workflows' host calls leave.

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace duv::testing {

class StudyFolder {
 public:
  // Copies examples/*.sdm, *.rtc and examples/bad/*.sdm into the folder, all side by side.
  StudyFolder();

  const std::filesystem::path& path() const { return folder_.path(); }
  // The path of `name` inside the folder.
  std::string file(const std::string& name) const { return folder_.file(name); }
  bool exists(const std::string& name) const;

 private:
  TempDir folder_;
};

// The record of one execute after a successful initPlugin: the lines from "execute()" on.
std::vector<std::string> executeRecord(const std::vector<std::string>& record);

// Record lines of the host calls.
std::string stringRead(const std::string& name, const std::string& value);
std::string intRead(const std::string& name, int value);
std::string logged(const std::string& text);
std::string saveDialog(const std::string& suggestedName, const std::string& answer);
std::string cancelledSaveDialog(const std::string& suggestedName);
std::string messageBox(const std::string& text);

}  // namespace duv::testing
