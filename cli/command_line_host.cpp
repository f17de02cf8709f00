#include "cli/command_line_host.h"

#include <ostream>
#include <stdexcept>

#include "design/text.h"

namespace duv::cli {

std::string outputPathFor(const std::string& suggestedName,
                          const std::optional<std::string>& outDir) {
  if (!outDir) return suggestedName;
  std::string path = *outDir;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path + fileNameOf(suggestedName);
}

CommandLineHost::CommandLineHost(std::ostream& messages, std::optional<std::string> outDir,
                                 bool quiet, bool showProgress)
    : messages_(messages),
      outDir_(std::move(outDir)),
      quiet_(quiet),
      showProgress_(showProgress && !quiet) {}

std::string CommandLineHost::stringParameter(const std::string& name) {
  const auto value = strings_.find(name);
  return value == strings_.end() ? std::string() : value->second;
}

int CommandLineHost::intParameter(const std::string& name) {
  const auto value = ints_.find(name);
  return value == ints_.end() ? 0 : value->second;
}

void CommandLineHost::setStringParameter(const std::string& name, const std::string& value) {
  strings_[name] = value;
}

void CommandLineHost::messageBox(const std::string& text) { lastMessage_ = text; }

std::string CommandLineHost::openFileName(const std::string& /*title*/,
                                          const std::string& /*filter*/) {
  throw std::logic_error("the command-line tool has no file chooser");
}

std::optional<std::string> CommandLineHost::saveFileName(const std::string& /*title*/,
                                                         const std::string& suggestedName,
                                                         const std::string& /*filter*/) {
  const auto path = outputPathFor(suggestedName, outDir_);
  progress(++savedResults_, expectedResults_, path);
  return path;
}

void CommandLineHost::log(std::string_view literal, std::string_view argument) {
  if (quiet_) return;
  finishProgress();
  messages_ << "Duvendal" << literal << argument << '\n' << std::flush;
}

void CommandLineHost::progress(std::size_t done, std::size_t total, const std::string& label) {
  if (!showProgress_) return;
  messages_ << "\r\033[K[" << done << '/' << total << "] " << label << std::flush;
  progressShown_ = true;
}

void CommandLineHost::finishProgress() {
  if (!progressShown_) return;
  messages_ << "\r\033[K" << std::flush;
  progressShown_ = false;
}

}  // namespace duv::cli
