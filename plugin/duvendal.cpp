#include "plugin/duvendal.h"

#include <exception>
#include <string>
#include <string_view>

#include "design/file_system.h"
#include "plugin/dialog_tasks.h"
#include "plugin/dialog_texts.h"
#include "plugin/hkzn_log.h"
#include "plugin/host_bridge.h"
#include "plugin/host_function_table.h"
#include "plugin/log_message.h"

using duv::hostFunctionTable;

namespace {

enum class Task { openSdm, openSdmOrRtc, correlate, mergeAll, mergeSecondary, none };

Task taskNamed(std::string_view word) {
  if (word == "open_sdm") return Task::openSdm;
  if (word == "open_sdm_rtc") return Task::openSdmOrRtc;
  if (word == "sdm1corr") return Task::correlate;
  if (word == "mergeall") return Task::mergeAll;
  if (word == "mergesec") return Task::mergeSecondary;
  return Task::none;
}

// The host functions without which a task cannot run. The busy cursor, the log tab and the
// log itself are not among them: without them the task runs unseen.
bool hostOffersFunctionsFor(Task task) {
  const duv::HostFunctionTable& host = hostFunctionTable;
  switch (task) {
    case Task::openSdm:
    case Task::openSdmOrRtc:
      return host.znGetOpenFileName != nullptr && host.znSetStringParameter != nullptr;
    case Task::correlate:
      return host.znGetStringParameter != nullptr && host.znMessageBox != nullptr;
    case Task::mergeAll:
    case Task::mergeSecondary:
      return host.znGetIntParameter != nullptr && host.znGetStringParameter != nullptr &&
             host.znMessageBox != nullptr && host.znGetSaveFileName != nullptr;
    case Task::none:
      return true;
  }
  return false;
}

// Shows the host's busy cursor for its lifetime, also when an exception passes.
class BusyCursor {
 public:
  BusyCursor() {
    if (hostFunctionTable.znShowBusyCursor != nullptr) hostFunctionTable.znShowBusyCursor();
  }
  ~BusyCursor() {
    if (hostFunctionTable.znStopBusyCursor != nullptr) hostFunctionTable.znStopBusyCursor();
  }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

// The chooser writes its result back whatever the dialog did: on cancel the cleared room
// gives the empty text, which tells the dialog's script that nothing was chosen.
void chooseFile(duv::HostBridge& host, const std::string& title, const std::string& filter) {
  host.setStringParameter(duv::dialog::kChosenFileParameter, host.openFileName(title, filter));
}

void showError(std::string_view message) noexcept {
  if (hostFunctionTable.znMessageBox == nullptr) return;
  try {
    hostFunctionTable.znMessageBox(("Error: " + std::string(message)).c_str());
  } catch (...) {
    // Out of memory for the text: nothing more can be told.
  }
}

}  // namespace

duvendal::duvendal() = default;

duvendal::~duvendal() {
  if (!log_) return;
  try {
    duv::writeLogMessage(*log_, duv::dialog::kFinishedLog);
  } catch (...) {
    // The host is not to be taken down for a goodbye.
  }
  log_.reset();
}

bool duvendal::initPlugin() {
  ready_ = false;
  try {
    if (!duv::bindHostFunctions()) return false;
    const duv::HostFunctionTable& host = hostFunctionTable;
    log_ = std::make_unique<HKZNLog>(host.znLogText);

    int major = 0;
    int minor = 0;
    int subVersion = 0;
    host.znGetVersionOfHalvernZN(&major, &minor, &subVersion);
    if (!duv::isVersionAtLeast(major, minor, subVersion, 2, 8, 0)) {
      if (host.znMessageBox != nullptr) {
        host.znMessageBox(
            "Can not execute this plugin - HalvernZN version 2.8 or higher required.");
      }
      return false;
    }

    if (host.znShowLogTab != nullptr) host.znShowLogTab();
    duv::writeLogMessage(*log_, duv::dialog::kRunningLog);
    ready_ = true;
    return true;
  } catch (...) {
    return false;
  }
}

bool duvendal::execute() {
  if (!ready_ || hostFunctionTable.znGetStringParameter == nullptr) return false;
  duv::HostBridge host(hostFunctionTable, *log_);
  try {
    const Task task = taskNamed(host.stringParameter(duv::dialog::kTaskParameter));
    if (!hostOffersFunctionsFor(task)) return false;

    switch (task) {
      case Task::openSdm:
        chooseFile(host, duv::dialog::kOpenSdmTitle, duv::dialog::kSdmFilter);
        return true;
      case Task::openSdmOrRtc:
        chooseFile(host, duv::dialog::kOpenSdmOrRtcTitle, duv::dialog::kSdmOrRtcFilter);
        return true;
      default:
        break;
    }

    const BusyCursor busy;
    switch (task) {
      case Task::correlate:
        correlateSdm();
        return true;
      case Task::mergeAll:
        return mergeSdms(true);
      case Task::mergeSecondary:
        return mergeSdms(false);
      default:
        return true;
    }
  } catch (const std::exception& error) {
    // The busy cursor is gone by now: it lived inside the block that the exception left.
    showError(error.what());
  } catch (...) {
    showError("unexpected failure");
  }
  return true;
}

bool duvendal::mergeSdms(bool withPrimary) {
  duv::HostBridge host(hostFunctionTable, *log_);
  const auto kind = withPrimary ? duv::MergeKind::withPrimary : duv::MergeKind::secondariesOnly;
  return duv::mergeFromDialog(host, duv::realFileSystem(), kind);
}

void duvendal::correlateSdm() {
  duv::HostBridge host(hostFunctionTable, *log_);
  duv::correlateFromDialog(host, duv::realFileSystem());
}
