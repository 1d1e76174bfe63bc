// SetupDialog is the logic of the setup frame (dialog 101): its seven
// pages in tab order, the templates and captions they come from, and OK,
// which writes every page into the settings at once. RunSetupFrontEnd
// (setup_front_end.h) shows it.
//
// Thread-safety: used only on the thread that runs the setup dialog.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "ui/dialog_services.h"
#include "ui/dialog_view.h"
#include "ui/setup_actions.h"
#include "ui/setup_page.h"

namespace trellisk::ui {

inline constexpr int kSetupTemplateId = 101;
inline constexpr int kSetupTabControl = 1020;
inline constexpr int kSetupOk = 1;
inline constexpr int kSetupCancel = 2;

class SetupDialog {
 public:
  SetupDialog(PluginCore& core, std::shared_ptr<Session> session, DialogServices& services);

  SetupActions& actions() { return actions_; }
  // The pages in tab order.
  std::span<const std::unique_ptr<SetupPage>> pages() const { return pages_; }
  // OK: every page's controls into the settings, published as one change.
  // `views` holds each page's view in tab order; null for a page that was
  // not created.
  void Ok(std::span<const DialogView* const> views);

 private:
  SetupActions actions_;
  std::vector<std::unique_ptr<SetupPage>> pages_;
};

// The seven pages, in tab order.
std::vector<std::unique_ptr<SetupPage>> MakeSetupPages(SetupActions& actions);

}  // namespace trellisk::ui
