#include "host/command.h"

namespace trellisk::host {

int RunInfo(HostSession& session, const Arguments& arguments);
int RunStart(HostSession& session, const Arguments& arguments);
int RunSetup(HostSession& session, const Arguments& arguments);

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"info", "show the plug-in's name, version and macros",
       "usage: trellisk-host [global options] info\n"
       "Loads the plug-in and shows what it reports about itself, without starting it.\n",
       {}, RunInfo},
      {"start", "start the plug-in and stop it again",
       "usage: trellisk-host [global options] start\n"
       "Calls TBP_Initialize and then TBP_Finalize: the plug-in loads its settings and\n"
       "stores, and at the stop saves them (creating them on the first run).\n",
       {}, RunStart},
      {"setup", "run the plug-in's setup entry",
       "usage: trellisk-host [global options] setup\n"
       "Starts the plug-in, calls TBP_Setup (which warns when the filter needs more\n"
       "training) and stops the plug-in again. Message boxes appear on standard error.\n",
       {}, RunSetup},
  };
  return commands;
}

}  // namespace trellisk::host
