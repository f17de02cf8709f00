#include "plugin/plugin_interface.h"

// Defined here rather than in the class so that the host finds them exported from the library.

HKZNPluginInterface::HKZNPluginInterface() = default;

HKZNPluginInterface::HKZNPluginInterface(const HKZNPluginInterface&) = default;

HKZNPluginInterface::~HKZNPluginInterface() = default;

HKZNPluginInterface& HKZNPluginInterface::operator=(const HKZNPluginInterface&) { return *this; }
