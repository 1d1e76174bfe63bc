// EditorDialog is the logic of the editor window (dialog 109) in its four
// modes: the log viewer and the editors of the white list, the black list
// and the rule file. It fills the text control, writes an edited list or
// rule file back through its store, and keeps each mode's window
// rectangle in the settings. Its layout shares are the ones the front end
// gives the window's ResizeLayout. Also the text form of a list that the
// editor shows and parses.
//
// Thread-safety: used only on the thread that runs the setup dialog.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lists/list_entry_kind.h"
#include "ui/dialog_view.h"
#include "ui/resize_layout.h"

namespace trellisk::ui {

class SetupActions;

enum class EditorMode : uint32_t { kLogfile = 0, kWhitelist = 1, kBlacklist = 2, kRegExpFilter = 3 };

inline constexpr int kEditorTemplateId = 109;
inline constexpr int kEditorText = 1032;
inline constexpr int kEditorApply = 1;
inline constexpr int kEditorCancel = 2;
inline constexpr int kEditorClose = 8;
inline constexpr int kEditorPartsPerWhole = 100;

// One list entry as the editor shows it.
struct EditedEntry {
  std::string value;
  bool expression = false;
  bool operator==(const EditedEntry&) const = default;
};

// Each entry as "TEXT: value" or "REGEXP: pattern", each followed by "\r\n".
std::string FormatListText(std::span<const EditedEntry> entries);
// The editor's text back into entries: split at "\r", trimmed, blank lines
// dropped, "TEXT:" and "REGEXP:" recognised without regard to case.
std::vector<EditedEntry> ParseListText(std::string_view text);

class EditorDialog {
 public:
  struct LayoutControl {
    int id;
    LayoutShares shares;
  };

  EditorDialog(EditorMode mode, SetupActions& actions) : mode_(mode), actions_(actions) {}

  EditorMode mode() const { return mode_; }
  // The text control and the three buttons with their layout shares.
  static std::span<const LayoutControl> Layout();

  // After the front end has set the font and attached the layout: the saved
  // rectangle, the title, the content, the buttons and the caret.
  void Initialize(DialogView& view);
  // Apply, Cancel or Close: keeps the rectangle, writes Apply's edits back,
  // and ends the dialog.
  void Command(DialogView& view, int controlId);

 private:
  void KeepRectangle(const DialogView& view);
  void ApplyList(const DialogView& view);

  EditorMode mode_;
  SetupActions& actions_;
};

}  // namespace trellisk::ui
