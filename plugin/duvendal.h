#pragma once

#include <memory>

#include "plugin/export.h"
#include "plugin/plugin_interface.h"

class HKZNLog;

// The plug-in. initPlugin binds the host, opens the log and checks the host's version; execute
// reads the dialog parameter "task" and runs that task; the destructor says goodbye in the log.
//
// Nothing leaves these functions as an exception: the caller is the host.
class DUVENDAL_EXPORTED_CLASS duvendal : public HKZNPluginInterface {
 public:
  // Not yet usable: the log is opened and the host bound by initPlugin.
  DUVENDAL_EXPORT duvendal();
  // Logs ">  Plugin finished!\n" when a log is open, then closes it. Without a log (initPlugin
  // never called, or failed at binding) it does not touch the host.
  DUVENDAL_EXPORT ~duvendal() override;

  // The task named by the dialog parameter "task":
  //   "open_sdm", "open_sdm_rtc": a file chooser whose result goes to the parameter "sdmfile";
  //   "sdm1corr": the correlation report and table of one design matrix;
  //   "mergeall", "mergesec": the merge of the primary with every secondary design matrix, or
  //   of all secondary ones; any other text: nothing.
  // Every task but the two choosers runs under the host's busy cursor. A failure is shown in
  // the host's message box as "Error: " and its message, and the result is true; the result is
  // false when a merge stopped at a data-point mismatch. Also false, without any host call,
  // before a successful initPlugin, and when the host lacks a function that the task needs.
  DUVENDAL_EXPORT bool execute() override;

  // Binds the host, opens a new log (closing an earlier one) and checks that the host is at
  // least version 2.8.0. False, silently, when the host is not found; false, after a message
  // box, when it is too old; otherwise logs ">  Running..." and returns true.
  DUVENDAL_EXPORT bool initPlugin() override;

 private:
  bool mergeSdms(bool withPrimary);
  void correlateSdm();

  std::unique_ptr<HKZNLog> log_;
  bool ready_ = false;  // initPlugin succeeded
};
