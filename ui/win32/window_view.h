// WindowView is a DialogView over a system dialog window: a page of the
// setup frame or the editor window. Controls are the dialog's child
// windows by identifier; texts are in the system's 8-bit code page. A
// rich-edit control gives its text back with "\r" between lines, as the
// dialog logic expects.
//
// Thread-safety: used only on the thread that owns the window.
#pragma once

#include <windows.h>

#include "ui/dialog_view.h"

namespace trellisk::ui {

class WindowView final : public DialogView {
 public:
  explicit WindowView(HWND window) : window_(window) {}

  HWND window() const { return window_; }

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
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  bool IsRichEdit(int id) const;

  HWND window_;
};

}  // namespace trellisk::ui
