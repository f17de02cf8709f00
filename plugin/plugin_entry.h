#pragma once

// The library's entry points, exported under their plain C names. All of them may be called
// before any other function of the library; none of them throws.

#include "plugin/export.h"
#include "plugin/plugin_interface.h"

extern "C" {

// A new plug-in object, owned by the caller, who destroys it through the virtual destructor;
// null when memory runs out.
DUVENDAL_EXPORT HKZNPluginInterface* createPlugin();

// Constant texts that live as long as the library; the caller must neither change nor free
// them. Every call returns the same pointer.
DUVENDAL_EXPORT const char* getPluginName();
DUVENDAL_EXPORT const char* getPluginDescription();
DUVENDAL_EXPORT const char* getPluginVersion();
DUVENDAL_EXPORT const char* getHelpFile();
DUVENDAL_EXPORT const char* getGUIScript();
DUVENDAL_EXPORT const char* getAuthor();
}
