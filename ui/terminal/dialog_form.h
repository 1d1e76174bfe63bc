// DialogForm is one dialog window of the terminal front end, made from a
// dialog template: its controls (static texts, one-line edit fields,
// check boxes, push buttons, drop-down lists and multi-line text areas)
// with their state, placed on terminal cells, painted, and answering the
// keys and clicks that reach the focused control. It is the DialogView the
// dialog logic fills and reads. Which control has the focus, and which
// window gets a key, is its owner's business (the setup frame, the editor).
//
// Thread-safety: used on the UI thread only.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/dialog_template.h"
#include "ui/dialog_view.h"
#include "ui/terminal/cell_layout.h"
#include "ui/terminal/terminal_screen.h"
#include "ui/terminal/text_field.h"

namespace trellisk::ui::terminal {

enum class ControlKind { kStatic, kEdit, kTextArea, kCheckBox, kButton, kDropDown, kTabs };

class DialogForm final : public DialogView {
 public:
  // Opens the list of a drop-down control below `anchor` and gives the
  // entry chosen, or nothing.
  using ListChooser =
      std::function<std::optional<int>(const CellBox& anchor, const std::vector<std::wstring>& entries, int selection)>;

  DialogForm(const DialogTemplate& dialog, ListChooser chooser);

  // Places the controls inside `area` (screen cells) by the template.
  void Layout(const CellBox& area);
  // Places one control directly.
  void Move(int id, const CellBox& box);
  CellBox BoxOf(int id) const;

  // Painting scrolls the text fields to their carets.
  void Paint(Screen& screen, int focus);

  // The controls that can take the focus now, in template order.
  std::vector<int> FocusOrder() const;
  // The control that can take the focus at a screen cell, or 0.
  int ControlAt(int row, int column) const;
  // The shown and enabled default push button, or 0.
  int DefaultButton() const;

  enum class Reply { kIgnored, kHandled, kCommand };
  // A key for control `id`: kCommand when a button was pressed, a box
  // toggled or a list entry chosen, for the logic's Command.
  Reply Handle(int id, const Key& key);
  // A mouse press on control `id` at the key's cell.
  Reply Click(int id, const Key& key);

  // The control the logic asked to focus since the last call, or 0.
  int TakeFocusRequest();
  const std::wstring& title() const { return title_; }
  bool ended() const { return result_.has_value(); }
  int result() const { return result_.value_or(0); }
  // The window's place as Rect tells it; Place is handed to `placer`.
  void SetWindow(const CellBox& window) { window_ = window; }
  void SetPlacer(std::function<void(const WindowRect&)> placer) { placer_ = std::move(placer); }

  std::string Text(int id) const override;
  void SetText(int id, std::string_view text) override;
  bool IsChecked(int id) const override;
  void SetChecked(int id, bool checked) override;
  void Enable(int id, bool enabled) override;
  void Show(int id, bool shown) override;
  void SetReadOnly(int id, bool readOnly) override;
  void SetListItems(int id, const std::vector<std::string>& items) override;
  int Selection(int id) const override;
  void Select(int id, int index) override;
  void Focus(int id) override;
  void SetCaret(int id, size_t position) override;
  void SetTitle(std::string_view title) override;
  WindowRect Rect() const override;
  void Place(const WindowRect& rect) override;
  void End(int result) override;

 private:
  struct Control {
    int id = 0;
    ControlKind kind = ControlKind::kStatic;
    DialogItem item;
    std::wstring text;
    TextField field{false};
    bool checked = false, enabled = true, shown = true, isDefault = false;
    std::vector<std::wstring> entries;
    int selection = -1;
    CellBox box;
  };

  Control* Find(int id);
  const Control* Find(int id) const;
  static bool Interactive(const Control& control);
  LayoutItem LayoutOf(const Control& control) const;
  void PaintControl(Screen& screen, Control& control, bool focused);
  void PaintField(Screen& screen, Control& control, bool focused);
  Reply Toggle(Control& control);
  Reply ChooseEntry(Control& control);

  ListChooser chooser_;
  int dialogWidth_;
  std::wstring title_;
  std::vector<Control> controls_;
  int focusRequest_ = 0;
  std::optional<int> result_;
  CellBox window_;
  std::function<void(const WindowRect&)> placer_;
};

}  // namespace trellisk::ui::terminal
