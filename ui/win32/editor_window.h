// The editor window as a system dialog: template 109 of the current
// resource module, run modally over the setup dialog with EditorDialog as
// its logic. The text control gets a fixed-pitch font, and the window is
// made resizable with CResizeCtrl using the editor's layout shares.
//
// Thread-safety: called on the thread that runs the setup dialog.
#pragma once

#include "base/resource_module.h"
#include "ui/editor_dialog.h"

namespace trellisk::ui {

// Returns when the editor has ended.
void RunEditorWindow(const ResourceModule& module, EditorDialog& editor);

}  // namespace trellisk::ui
