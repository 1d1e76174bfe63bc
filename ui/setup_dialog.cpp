#include "ui/setup_dialog.h"

namespace trellisk::ui {

SetupDialog::SetupDialog(PluginCore& core, std::shared_ptr<Session> session, DialogServices& services)
    : actions_(core, std::move(session), services), pages_(MakeSetupPages(actions_)) {}

void SetupDialog::Ok(std::span<const DialogView* const> views) {
  actions_.ChangeSettings([&](Settings& settings) {
    for (size_t page = 0; page < pages_.size() && page < views.size(); ++page) {
      if (views[page] != nullptr) pages_[page]->Collect(*views[page], settings);
    }
  });
}

}  // namespace trellisk::ui
