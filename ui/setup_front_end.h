// RunSetupFrontEnd shows the setup dialog of the running session: the
// system's dialogs on Windows (win32/), a terminal user interface
// elsewhere (terminal/). It first shows the training warning through
// `showTrainingWarning`, where the user will see it. 1 when the dialog
// ran, 0 when something failed (the user has been told in a message box).
//
// Thread-safety: called on the host's thread that asked for the setup.
#pragma once

#include <functional>
#include <memory>

#include "plugin/plugin_core.h"
#include "plugin/session.h"

namespace trellisk::ui {

int RunSetupFrontEnd(PluginCore& core, std::shared_ptr<Session> session,
                     const std::function<void()>& showTrainingWarning);

}  // namespace trellisk::ui
