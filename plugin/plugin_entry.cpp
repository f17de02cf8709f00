#include "plugin/plugin_entry.h"

#include <new>

#include "plugin/duvendal.h"
#include "plugin/plugin_info.h"

// An exception must not reach the host, which is no C++ caller of ours: out of memory is a
// null plug-in.
HKZNPluginInterface* createPlugin() { return new (std::nothrow) duvendal(); }

const char* getPluginName() { return duv::pluginName; }
const char* getPluginDescription() { return duv::pluginDescription; }
const char* getPluginVersion() { return duv::pluginVersion; }
const char* getHelpFile() { return duv::pluginHelpFile; }
const char* getGUIScript() { return duv::pluginGuiScript; }
const char* getAuthor() { return duv::pluginAuthor; }
