// SetupFrame is the setup dialog as system dialogs: the frame (template
// 101) with its tab control, and the seven pages, each a modeless child
// dialog made once from its template when the frame opens and placed in
// the tab control's display area. Switching tabs hides and disables every
// page but the selected one; OK writes every page into the settings. The
// templates and tab captions come from the resource module current when
// the frame opens.
//
// Thread-safety: used only on the thread that runs the setup dialog.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "plugin/plugin_core.h"
#include "plugin/session.h"
#include "ui/setup_dialog.h"
#include "ui/win32/window_services.h"
#include "ui/win32/window_view.h"

namespace trellisk::ui {

class SetupFrame {
 public:
  SetupFrame(PluginCore& core, std::shared_ptr<Session> session);

  // Runs the frame modally, owned by the thread's active window: 1 after
  // OK, 2 after Cancel, 0 or less when it could not be created.
  INT_PTR Run();

 private:
  struct Page {
    SetupPage& logic;
    std::unique_ptr<WindowView> view;
  };

  static INT_PTR CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void PlacePage(HWND page);

  void Create(HWND frame);
  void AddTabs() const;
  void CreatePages();
  void ShowPage(int selected) const;
  void SelectionChanged() const;
  void Ok();

  PluginCore& core_;
  WindowServices services_;
  SetupDialog dialog_;
  std::vector<Page> pages_;
  HWND frame_ = nullptr;
  bool everyTemplateLoaded_ = false;
};

}  // namespace trellisk::ui
