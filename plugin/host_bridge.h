#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "merge/host_services.h"
#include "plugin/host_function_table.h"

namespace duv {

// The host services over the host's exported functions, for the workflows.
//
// Texts that the host writes are read into guarded rooms (HostTextBuffer): "sdms2" into
// listCapacity bytes, every other parameter and every chosen path into pathCapacity bytes. A
// text that does not fit is refused with std::runtime_error naming the parameter or the dialog
// (see HostTextBuffer::text). A service whose host function is missing throws
// std::runtime_error naming the function rather than call an empty entry. Log messages go to
// `log` in the host log's form (writeLogMessage).
class HostBridge final : public HostServices {
 public:
  // Both must outlive the bridge.
  HostBridge(const HostFunctionTable& host, std::ostream& log) : host_(host), log_(log) {}

  std::string stringParameter(const std::string& name) override;
  int intParameter(const std::string& name) override;
  void setStringParameter(const std::string& name, const std::string& value) override;
  void messageBox(const std::string& text) override;
  // The dialog's second text is passed empty.
  std::string openFileName(const std::string& title, const std::string& filter) override;
  std::optional<std::string> saveFileName(const std::string& title,
                                          const std::string& suggestedName,
                                          const std::string& filter) override;
  void log(std::string_view literal, std::string_view argument) override;

 private:
  const HostFunctionTable& host_;
  std::ostream& log_;
};

}  // namespace duv
