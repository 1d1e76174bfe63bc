// DialogServices is what a front end offers the dialog logic besides the
// dialog windows: message boxes over its dialogs, the save-file prompt and
// the modal editor window.
//
// Thread-safety: used only on the thread that runs the setup dialog.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/message_box.h"

namespace trellisk::ui {

class EditorDialog;

class DialogServices {
 public:
  virtual ~DialogServices() = default;

  // Message boxes shown over the dialogs.
  virtual platform::MessageBoxes& boxes() = 0;
  // Asks where to save a file: `filter` describes the kind of file
  // ("Database Files (*.dat)"), `extension` is the default extension ("dat")
  // and `current` the path in use. Nothing when the user cancels or gives
  // an empty path.
  virtual std::optional<std::string> AskSaveFile(std::string_view filter, std::string_view extension,
                                                 std::string_view current) = 0;
  // Runs the editor window (dialog 109) modally with `editor` as its logic;
  // returns when it has ended.
  virtual void RunEditor(EditorDialog& editor) = 0;
};

}  // namespace trellisk::ui
