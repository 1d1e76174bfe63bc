// Command is one subcommand of trellisk-host: its name, its help text, the
// options it accepts and the function that runs it against a loaded plug-in
// in a prepared host environment.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/arguments.h"
#include "host/filter_message.h"
#include "host/host_environment.h"
#include "host/message_inputs.h"
#include "host/plugin_api.h"

namespace trellisk::host {

// Exit codes of trellisk-host.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // the work failed, or some inputs could not be read
inline constexpr int kExitUsage = 2;    // the command line was wrong
// Exit codes of the mail filter, for delivery rules to act on.
inline constexpr int kExitSpam = 0;
inline constexpr int kExitHam = 1;
inline constexpr int kExitFilterError = 3;

struct HostSession {
  PluginApi& plugin;
  HostEnvironment& environment;
  // The filter's message, read before anything else; null for other commands.
  FilterMessage* filterMessage = nullptr;
};

struct Command {
  const char* name;
  const char* summary;
  // The command's own help: usage line and description of its options.
  const char* help;
  std::vector<OptionDefinition> options;
  int (*run)(HostSession& session, const Arguments& arguments);
  // Runs in a new, empty temporary data directory instead of --data.
  bool freshDirectory = false;
};

// The messages named by the positional arguments (paths as given, resolved
// against the directory the host was started in; "-" is standard input,
// one message or, with `standardInputIsMbox`, an mbox stream). Reports
// every path that cannot be read on standard error and returns false then.
inline constexpr const char* kStandardInput = "-";
bool CollectInputs(HostSession& session, const std::vector<std::string>& paths, MessageInputs& inputs,
                   bool standardInputIsMbox = false);

// The messages of the --spam and --ham options, one given path at a time
// (spam first) with its mbox files split into their messages: `onPath` gets
// each path's messages and whether they are spam. Unreadable paths are
// reported as by CollectInputs; false then.
bool CollectLabelledInputs(HostSession& session, const Arguments& arguments,
                           const std::function<void(const std::vector<MessageInput>& messages, bool spam)>& onPath);

// The -j option: how many host threads call the plug-in at once.
bool JobCount(const Arguments& arguments, unsigned& jobs);

// Every command, in the order the help lists them.
const std::vector<Command>& AllCommands();

}  // namespace trellisk::host
