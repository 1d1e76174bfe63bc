// WindowServices is what the system's dialogs offer the setup logic: the
// session's message boxes, and the system's save-file dialog and the editor
// window over the thread's active window (the setup frame while it runs).
//
// Thread-safety: used only on the thread that runs the setup dialog.
#pragma once

#include "plugin/plugin_core.h"
#include "ui/dialog_services.h"

namespace trellisk::ui {

class WindowServices final : public DialogServices {
 public:
  // The editor's template comes from the core's resource module current
  // when it opens.
  WindowServices(const PluginCore& core, platform::MessageBoxes& boxes) : core_(core), boxes_(boxes) {}

  platform::MessageBoxes& boxes() override { return boxes_; }
  std::optional<std::string> AskSaveFile(std::string_view filter, std::string_view extension,
                                         std::string_view current) override;
  void RunEditor(EditorDialog& editor) override;

 private:
  const PluginCore& core_;
  platform::MessageBoxes& boxes_;
};

}  // namespace trellisk::ui
