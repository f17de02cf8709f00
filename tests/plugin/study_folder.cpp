#include "tests/plugin/study_folder.h"

#include <filesystem>

#include "tests/plugin/host_session.h"

namespace duv::testing {

namespace fs = std::filesystem;

StudyFolder::StudyFolder() {
  const fs::path examples = fs::path(sourceDir()) / "examples";
  for (const fs::path& folder : {examples, examples / "bad"}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      const auto extension = entry.path().extension();
      if (extension != ".sdm" && extension != ".rtc") continue;
      fs::copy_file(entry.path(), folder_.path() / entry.path().filename());
    }
  }
}

bool StudyFolder::exists(const std::string& name) const {
  return fs::exists(folder_.path() / name);
}

std::vector<std::string> executeRecord(const std::vector<std::string>& record) {
  const std::size_t skipped = 1 + initialisedLines().size();
  if (record.size() < skipped) return record;
  return std::vector<std::string>(record.begin() + static_cast<std::ptrdiff_t>(skipped),
                                  record.end());
}

std::string stringRead(const std::string& name, const std::string& value) {
  return "znGetStringParameter(\"" + name + "\") -> \"" + escaped(value) + "\"";
}

std::string intRead(const std::string& name, int value) {
  return "znGetIntParameter(\"" + name + "\") -> " + std::to_string(value);
}

std::string logged(const std::string& text) {
  return "znLogText(\"" + escaped("\nDuvendal>  " + text) + "\")";
}

namespace {

std::string saveCall(const std::string& suggestedName) {
  return "znGetSaveFileName(\"Choose a name for saving the resulting SDM\", \"" + suggestedName +
         "\", \"Design Matrix (*.sdm)\")";
}

}  // namespace

std::string saveDialog(const std::string& suggestedName, const std::string& answer) {
  return saveCall(suggestedName) + " -> \"" + answer + "\"";
}

std::string cancelledSaveDialog(const std::string& suggestedName) {
  return saveCall(suggestedName) + " -> cancelled";
}

std::string messageBox(const std::string& text) {
  return "znMessageBox(\"" + escaped(text) + "\")";
}

}  // namespace duv::testing
