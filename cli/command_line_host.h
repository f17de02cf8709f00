#pragma once

// The host services of the command-line tool: dialog parameters come from the arguments, save
// dialogs are answered with the suggested name (inside the output folder, when one is given),
// log messages go to standard error, one line each.

#include <iosfwd>
#include <map>
#include <optional>
#include <string>

#include "merge/host_services.h"

namespace duv::cli {

// Where the tool saves a result the dialog would have suggested as `suggestedName`: inside
// `outDir` under its file name, or at the suggested path itself.
std::string outputPathFor(const std::string& suggestedName,
                          const std::optional<std::string>& outDir);

class CommandLineHost final : public HostServices {
 public:
  CommandLineHost(std::ostream& messages, std::optional<std::string> outDir, bool quiet,
                  bool showProgress);

  void setInt(const std::string& name, int value) { ints_[name] = value; }
  void setString(const std::string& name, const std::string& value) { strings_[name] = value; }
  // Results the run will save, for the progress line.
  void expectResults(std::size_t count) { expectedResults_ = count; }

  // What the last message box said (a data-point mismatch), or nothing.
  const std::optional<std::string>& lastMessage() const { return lastMessage_; }
  // Shows "[done/total] label" on one line that the next message replaces (only when progress
  // is shown).
  void progress(std::size_t done, std::size_t total, const std::string& label);
  // Clears the progress line, if one is shown.
  void finishProgress();

  std::string stringParameter(const std::string& name) override;
  int intParameter(const std::string& name) override;
  void setStringParameter(const std::string& name, const std::string& value) override;
  void messageBox(const std::string& text) override;
  std::string openFileName(const std::string& title, const std::string& filter) override;
  std::optional<std::string> saveFileName(const std::string& title,
                                          const std::string& suggestedName,
                                          const std::string& filter) override;
  void log(std::string_view literal, std::string_view argument) override;

 private:
  std::ostream& messages_;
  std::optional<std::string> outDir_;
  bool quiet_;
  bool showProgress_;
  bool progressShown_ = false;
  std::size_t expectedResults_ = 0;
  std::size_t savedResults_ = 0;
  std::map<std::string, std::string> strings_;
  std::map<std::string, int> ints_;
  std::optional<std::string> lastMessage_;
};

}  // namespace duv::cli
