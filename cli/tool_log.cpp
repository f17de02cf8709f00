#include "cli/tool_log.h"

#include <ostream>

namespace duv::cli {

ToolLog::ToolLog(std::ostream& messages, LogLines lines, Progress progress)
    : messages_(messages),
      quiet_(lines == LogLines::quiet),
      showProgress_(progress == Progress::shown && lines != LogLines::quiet) {}

void ToolLog::log(std::string_view literal, std::string_view argument) {
  if (quiet_) return;
  finishProgress();
  messages_ << "Duvendal" << literal << argument << '\n' << std::flush;
}

LogSink ToolLog::sink() {
  return [this](std::string_view literal, std::string_view argument) { log(literal, argument); };
}

void ToolLog::progress(std::size_t done, std::size_t total, const std::string& label) {
  if (!showProgress_) return;
  messages_ << "\r\033[K[" << done << '/' << total << "] " << label << std::flush;
  progressShown_ = true;
}

void ToolLog::finishProgress() {
  if (!progressShown_) return;
  messages_ << "\r\033[K" << std::flush;
  progressShown_ = false;
}

}  // namespace duv::cli
