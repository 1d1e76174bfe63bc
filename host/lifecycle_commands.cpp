// The commands that exercise the plug-in's frame: its identity, a start and
// stop cycle, and its setup entry.
#include <cstdio>

#include "host/command.h"
#include "host/plugin_run.h"

namespace trellisk::host {

int RunInfo(HostSession& session, const Arguments&) {
  PluginApi& plugin = session.plugin;
  std::string macros = PluginApi::ReadText(plugin.GetMacroList);
  for (char& c : macros) {
    if (c == '\n') c = ' ';
  }
  std::printf("name:        %s\n", PluginApi::ReadText(plugin.GetName).c_str());
  std::printf("version:     %s\n", PluginApi::ReadText(plugin.GetVersion).c_str());
  std::printf("macros:      %s\n", macros.c_str());
  std::printf("status:      %d\n", plugin.GetStatus());
  std::printf("needs COM:   %d\n", plugin.NeedCOM());
  std::printf("needs setup: %d\n", plugin.NeedConfig());
  std::printf("data:        %s\n", session.environment.dataDirectory().c_str());
  return kExitSuccess;
}

int RunStart(HostSession& session, const Arguments&) {
  StartPlugin(session.plugin, session.environment);
  std::printf("started in %s\n", session.environment.dataDirectory().c_str());
  const bool clean = StopPlugin(session.plugin);
  std::printf("stopped\n");
  return clean ? kExitSuccess : kExitFailure;
}

int RunSetup(HostSession& session, const Arguments&) {
  StartPlugin(session.plugin, session.environment);
  const int result = session.plugin.Setup();
  const bool clean = StopPlugin(session.plugin);
  std::printf("setup returned %d\n", result);
  return clean ? kExitSuccess : kExitFailure;
}

}  // namespace trellisk::host
