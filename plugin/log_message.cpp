#include "plugin/log_message.h"

#include "plugin/plugin_info.h"

namespace duv {

void writeLogMessage(std::ostream& log, std::string_view literal, std::string_view argument) {
  log << '\n' << pluginName << literal << argument << std::flush;
}

}  // namespace duv
