#pragma once

// The tool's messages on standard error: log lines in the form "Duvendal" + literal + argument,
// one line each, and a progress line "[done/total] label" that the next message replaces.

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

#include "workflow/log_sink.h"

namespace duv::cli {

// Whether log lines are written (quiet: neither log lines nor progress).
enum class LogLines { shown, quiet };
// Whether the progress line is shown (for a terminal).
enum class Progress { shown, hidden };

class ToolLog {
 public:
  ToolLog(std::ostream& messages, LogLines lines, Progress progress);

  void log(std::string_view literal, std::string_view argument);
  // log() as the workflows' sink; valid while this object lives.
  LogSink sink();

  // Shows "[done/total] label" on one line that the next message replaces (only when progress
  // is shown).
  void progress(std::size_t done, std::size_t total, const std::string& label);
  // Clears the progress line, if one is shown.
  void finishProgress();

 private:
  std::ostream& messages_;
  bool quiet_;
  bool showProgress_;
  bool progressShown_ = false;
};

}  // namespace duv::cli
