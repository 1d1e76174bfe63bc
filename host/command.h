// Command is one subcommand of trellisk-host: its name, its help text, the
// options it accepts and the function that runs it against a loaded plug-in
// in a prepared host environment.
#pragma once

#include <string>
#include <vector>

#include "host/arguments.h"
#include "host/host_environment.h"
#include "host/plugin_api.h"

namespace trellisk::host {

// Exit codes of trellisk-host.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the work failed, or some inputs could not be read
inline constexpr int kExitUsage = 2;    // the command line was wrong

struct HostSession {
  PluginApi& plugin;
  HostEnvironment& environment;
};

struct Command {
  const char* name;
  const char* summary;
  // The command's own help: usage line and description of its options.
  const char* help;
  std::vector<OptionSpec> options;
  int (*run)(HostSession& session, const Arguments& arguments);
};

// Every command, in the order the help lists them.
const std::vector<Command>& AllCommands();

}  // namespace trellisk::host
