#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "plugin/host_function_table.h"
#include "workflow/log_sink.h"

namespace duv {

// The host's services over its exported functions: dialog parameters, file dialogs, the message
// box and the log.
//
// Texts that the host writes are read into guarded rooms (HostTextBuffer): "sdms2" into
// listCapacity bytes, every other parameter and every chosen path into pathCapacity bytes. A
// text that does not fit is refused with std::runtime_error naming the parameter or the dialog
// (see HostTextBuffer::text). A service whose host function is missing throws
// std::runtime_error naming the function rather than call an empty entry. Log messages go to
// `log` in the host log's form (writeLogMessage).
class HostBridge {
 public:
  // Both must outlive the bridge.
  HostBridge(const HostFunctionTable& host, std::ostream& log) : host_(host), log_(log) {}

  // A dialog parameter's text. Throws as described above.
  std::string stringParameter(const std::string& name);
  // A dialog parameter's integer; non-zero means on.
  int intParameter(const std::string& name);
  void setStringParameter(const std::string& name, const std::string& value);
  // Shows `text` and returns when the user has dismissed it.
  void messageBox(const std::string& text);
  // Lets the user pick a file to open: the path, or what the dialog left when cancelled (the
  // empty text when it left the room untouched). The dialog's second text is passed empty.
  std::string openFileName(const std::string& title, const std::string& filter);
  // Lets the user choose where to save, suggesting `suggestedName`; nothing when cancelled.
  std::optional<std::string> saveFileName(const std::string& title,
                                          const std::string& suggestedName,
                                          const std::string& filter);
  // Writes one message to the host's log (writeLogMessage).
  void log(std::string_view literal, std::string_view argument);
  // log() as the workflows' sink; valid while the bridge lives.
  LogSink logSink();

 private:
  const HostFunctionTable& host_;
  std::ostream& log_;
};

}  // namespace duv
