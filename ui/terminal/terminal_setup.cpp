#include <unistd.h>

#include "ui/setup_front_end.h"

namespace trellisk::ui {

int RunSetupFrontEnd(PluginCore& core, std::shared_ptr<Session> session) {
  session->boxes.Show(core.texts().Load(kTextError), core.texts().Load(kTextCantCreateDialog),
                      platform::MessageBoxIcon::Error);
  return 0;
}

}  // namespace trellisk::ui
