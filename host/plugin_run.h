// A run of the plug-in as the host starts and stops it (TBP_Initialize to
// TBP_Finalize), with what the host tells its user around it: that it waits
// because another instance holds the stores of the data directory, and, at
// the end, each notice the plug-in gave the host (stores read-only, a store
// not saved).
//
// Used on the host's main thread.
#pragma once

#include "host/host_environment.h"
#include "host/plugin_api.h"

namespace trellisk::host {

// Calls TBP_Initialize; first says so on standard error when another
// instance holds the stores, as the plug-in then waits for them.
void StartPlugin(PluginApi& plugin, const HostEnvironment& environment);

// Calls TBP_Finalize and writes the plug-in's notices of the run to standard
// error; false when there was any.
bool StopPlugin(PluginApi& plugin);

}  // namespace trellisk::host
