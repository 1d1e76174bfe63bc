// The commands that exercise the plug-in's frame: its identity, a start and
// stop cycle, and its setup entry.
#include <cstdio>

#include "host/command.h"

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
  session.plugin.Initialize();
  std::printf("started in %s\n", session.environment.dataDirectory().c_str());
  session.plugin.Finalize();
  std::printf("stopped\n");
  return kExitSuccess;
}

int RunSetup(HostSession& session, const Arguments&) {
  session.plugin.Initialize();
  const int result = session.plugin.Setup();
  session.plugin.Finalize();
  std::printf("setup returned %d\n", result);
  return kExitSuccess;
}

}  // namespace trellisk::host
