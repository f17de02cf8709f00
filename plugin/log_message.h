#pragma once

#include <ostream>
#include <string_view>

namespace duv {

// Writes one message in the host log's form: a line break, the plug-in's display name, the
// literal (">" and two blanks, then the words), the argument; then flushes, so that the message
// reaches the host in one call. No line break follows: the next message's own starts the next
// line.
void writeLogMessage(std::ostream& log, std::string_view literal, std::string_view argument = {});

}  // namespace duv
