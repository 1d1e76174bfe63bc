// EditorWindow runs the editor (dialog 109) in the terminal: a window that
// covers the screen unless a saved place says otherwise, with the text
// area and the Apply, Cancel and Close buttons laid out by a ResizeLayout
// with the editor's shares, so that the window keeps its layout when the
// terminal is resized. Its place, as the editor logic reads and sets it,
// is in cells.
//
// Thread-safety: UI thread only.
#pragma once

#include <map>

#include "base/dialog_template.h"
#include "ui/editor_dialog.h"
#include "ui/resize_layout.h"
#include "ui/terminal/dialog_form.h"
#include "ui/terminal/terminal_screen.h"

namespace trellisk::ui::terminal {

class EditorWindow {
 public:
  EditorWindow(Screen& screen, const DialogTemplate& dialog, EditorDialog& editor);
  // Returns when the editor has ended.
  void Run();

 private:
  void Paint();
  // The window at `box`: the controls follow the change of its inside.
  void PlaceWindow(CellBox box);
  void Resized();
  void HandleKey(const Key& key);
  void MoveFocus(int step);
  void Press(int id) { editor_.Command(form_, id); }

  Screen& screen_;
  EditorDialog& editor_;
  DialogForm form_;
  ResizeLayout layout_{kEditorPartsPerWhole};
  // The controls in the window's inside, relative to its corner.
  std::map<int, ControlBox> inside_;
  CellBox window_;
  // The window covers the whole screen (and does again after a resize).
  bool covering_ = false;
  int focus_ = 0;
};

}  // namespace trellisk::ui::terminal
