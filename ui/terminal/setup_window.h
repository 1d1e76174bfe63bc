// SetupWindow runs the setup frame (dialog 101) in the terminal: the tab
// captions on top, the selected page below them, OK and Cancel at the
// bottom, all seven pages made from the current resource module's
// templates when the window opens. It moves the focus (the tab row, the
// page's controls, the buttons), hands the pages' commands to their logic
// and, as the pages' DialogServices, shows message boxes, the path prompt
// and the editor on the same screen.
//
// Thread-safety: UI thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plugin/plugin_core.h"
#include "plugin/session.h"
#include "ui/dialog_services.h"
#include "ui/setup_dialog.h"
#include "ui/terminal/dialog_form.h"
#include "ui/terminal/terminal_screen.h"

namespace trellisk::ui::terminal {

class SetupWindow final : public DialogServices {
 public:
  // Null, with nothing shown, when the frame's template cannot be read.
  static std::unique_ptr<SetupWindow> Open(Screen& screen, PluginCore& core, std::shared_ptr<Session> session);

  // Returns when the user has pressed OK or Cancel: the button's id.
  int Run();

  platform::MessageBoxes& boxes() override { return session_->boxes; }
  std::optional<std::string> AskSaveFile(std::string_view filter, std::string_view extension,
                                         std::string_view current) override;
  void RunEditor(EditorDialog& editor) override;

 private:
  // Where the focus is: a control of a form, or the tab row (no form).
  struct Focus {
    DialogForm* form = nullptr;
    int id = 0;
    bool operator==(const Focus&) const = default;
  };
  struct TabHit {
    CellBox box;
    int tab;
  };

  SetupWindow(Screen& screen, PluginCore& core, std::shared_ptr<Session> session, const DialogTemplate& frame);
  void OpenPages();
  DialogForm::ListChooser ListChooser();
  DialogForm* page() const { return pages_[tab_].get(); }

  void Paint();
  void PaintTabs(const CellBox& row);
  std::vector<Focus> FocusOrder();
  void MoveFocus(int step);
  void SelectTab(int tab);

  void HandleKey(const Key& key);
  void HandleClick(const Key& key);
  void Press(const Focus& target);

  Screen& screen_;
  PluginCore& core_;
  std::shared_ptr<Session> session_;
  SetupDialog dialog_;
  DialogForm frame_;
  std::vector<std::unique_ptr<DialogForm>> pages_;
  std::vector<std::wstring> captions_;
  std::vector<TabHit> tabHits_;
  int frameRows_, frameColumns_;
  int tab_ = 0;
  Focus focus_;
};

}  // namespace trellisk::ui::terminal
