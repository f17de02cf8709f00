#pragma once

// The services of the host that the workflows use. The plug-in supplies them over the host's
// exported functions, the command-line tool over its arguments and the terminal, and the tests
// with scripted fakes. Any of them may throw; the workflows let such errors pass.

#include <optional>
#include <string>
#include <string_view>

namespace duv {

class HostServices {
 public:
  virtual ~HostServices() = default;

  // A dialog parameter's text.
  virtual std::string stringParameter(const std::string& name) = 0;
  // A dialog parameter's integer; non-zero means on.
  virtual int intParameter(const std::string& name) = 0;
  virtual void setStringParameter(const std::string& name, const std::string& value) = 0;

  // Shows `text` and returns when the user has dismissed it.
  virtual void messageBox(const std::string& text) = 0;

  // Lets the user pick a file to open; the path, or what the dialog left when cancelled.
  virtual std::string openFileName(const std::string& title, const std::string& filter) = 0;
  // Lets the user choose where to save, suggesting `suggestedName`; nothing when cancelled.
  virtual std::optional<std::string> saveFileName(const std::string& title,
                                                  const std::string& suggestedName,
                                                  const std::string& filter) = 0;

  // One progress message: its literal (">  Saved ") and its argument (the path). The services
  // give it the host's form (the plug-in's display name in front, one flushed unit).
  virtual void log(std::string_view literal, std::string_view argument) = 0;
};

}  // namespace duv
