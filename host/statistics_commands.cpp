// The commands that expand the plug-in's macros.
#include <cstdio>

#include "host/command.h"
#include "host/macro_sink.h"
#include "host/plugin_run.h"

namespace trellisk::host {
namespace {

// Expands the macro with the plug-in started; false when it is unknown.
bool Expand(HostSession& session, const std::string& name) {
  PluginApi& plugin = session.plugin;
  StartPlugin(plugin, session.environment);
  CollectingMacroSink sink;
  const int result = plugin.ExecMacro(name.c_str(), 1, sink.sink(), nullptr);
  StopPlugin(plugin);
  if (result == 0) return false;
  std::printf("%s", sink.text().c_str());
  if (sink.text().empty() || sink.text().back() != '\n') std::printf("\n");
  return true;
}

}  // namespace

int RunStats(HostSession& session, const Arguments&) {
  return Expand(session, "SPAMFILTERSTATISTIC") ? kExitSuccess : kExitFailure;
}

int RunMacro(HostSession& session, const Arguments& arguments) {
  if (arguments.positionals().size() != 1) {
    std::fprintf(stderr, "trellisk-host: macro needs one macro name (see macro --help)\n");
    return kExitUsage;
  }
  if (Expand(session, arguments.positionals()[0])) return kExitSuccess;
  std::fprintf(stderr, "trellisk-host: the plug-in does not know the macro %s\n", arguments.positionals()[0].c_str());
  return kExitFailure;
}

}  // namespace trellisk::host
