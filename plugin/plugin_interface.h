#pragma once

#include "plugin/export.h"

// The plug-in as the host sees it. The host creates the object with createPlugin, calls
// initPlugin once, execute for every action in the plug-in's dialog, and destroys the object
// through the virtual destructor. The class has no state; the virtual functions keep this slot
// order: destructor, execute, initPlugin.
class DUVENDAL_EXPORTED_CLASS HKZNPluginInterface {
 public:
  DUVENDAL_EXPORT HKZNPluginInterface();
  DUVENDAL_EXPORT HKZNPluginInterface(const HKZNPluginInterface& other);
  DUVENDAL_EXPORT virtual ~HKZNPluginInterface();
  // Returns the object itself; there is nothing to copy.
  DUVENDAL_EXPORT HKZNPluginInterface& operator=(const HKZNPluginInterface& other);

  // Runs the task that the dialog asks for.
  virtual bool execute() = 0;
  // Prepares the plug-in for execute; false when it cannot work with this host.
  virtual bool initPlugin() = 0;
};
