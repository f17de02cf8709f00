#include "plugin/host_bridge.h"

#include <stdexcept>

#include "plugin/dialog_texts.h"
#include "plugin/host_text_buffer.h"
#include "plugin/log_message.h"

namespace duv {

namespace {

template <typename Function>
Function& required(Function* entry, const char* name) {
  if (entry == nullptr) throw std::runtime_error(std::string("The host does not offer ") + name);
  return *entry;
}

std::size_t capacityOfParameter(const std::string& name) {
  return name == dialog::kSecondaryParameter ? listCapacity : pathCapacity;
}

std::string parameterDescription(const std::string& name) {
  return "value of the dialog parameter \"" + name + "\"";
}

std::string dialogDescription(const std::string& title) {
  return "path chosen in the dialog \"" + title + "\"";
}

}  // namespace

#define DUV_REQUIRED(name) required(host_.name, #name)

std::string HostBridge::stringParameter(const std::string& name) {
  auto& getStringParameter = DUV_REQUIRED(znGetStringParameter);
  HostTextBuffer buffer(capacityOfParameter(name));
  getStringParameter(name.c_str(), buffer.data());
  return buffer.text(parameterDescription(name));
}

int HostBridge::intParameter(const std::string& name) {
  return DUV_REQUIRED(znGetIntParameter)(name.c_str());
}

void HostBridge::setStringParameter(const std::string& name, const std::string& value) {
  DUV_REQUIRED(znSetStringParameter)(name.c_str(), value.c_str());
}

void HostBridge::messageBox(const std::string& text) { DUV_REQUIRED(znMessageBox)(text.c_str()); }

std::string HostBridge::openFileName(const std::string& title, const std::string& filter) {
  auto& getOpenFileName = DUV_REQUIRED(znGetOpenFileName);
  HostTextBuffer buffer(pathCapacity);
  getOpenFileName(title.c_str(), "", filter.c_str(), buffer.data());
  return buffer.text(dialogDescription(title));
}

std::optional<std::string> HostBridge::saveFileName(const std::string& title,
                                                    const std::string& suggestedName,
                                                    const std::string& filter) {
  auto& getSaveFileName = DUV_REQUIRED(znGetSaveFileName);
  HostTextBuffer buffer(pathCapacity);
  const bool confirmed =
      getSaveFileName(title.c_str(), suggestedName.c_str(), filter.c_str(), buffer.data()) != 0;
  // Checked on cancel too: a host that wrote past the room has damaged memory either way.
  std::string path = buffer.text(dialogDescription(title));
  if (!confirmed) return std::nullopt;
  return path;
}

#undef DUV_REQUIRED

void HostBridge::log(std::string_view literal, std::string_view argument) {
  writeLogMessage(log_, literal, argument);
}

LogSink HostBridge::logSink() {
  return [this](std::string_view literal, std::string_view argument) { log(literal, argument); };
}

}  // namespace duv
