// DialogView is one open dialog window as the dialog logic sees it: its
// controls addressed by their template identifiers, and the window itself.
// Each front end (the system's dialogs on Windows, the terminal on Linux)
// implements it over its own windows, and tests over a fake; the logic of
// the setup pages and the editor is written once against it.
//
// Texts are bytes in the front end's text encoding (the system code page
// on Windows, UTF-8 in the terminal). A multi-line control takes "\r\n"
// line ends and gives its text back with a "\r" alone between lines, as a
// rich-edit control does.
//
// Thread-safety: a view is used only on the thread that runs its dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trellisk::ui {

// A window's outer rectangle in screen coordinates (pixels on Windows,
// character cells in the terminal).
struct WindowRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const WindowRect&) const = default;
};

class DialogView {
 public:
  virtual ~DialogView() = default;

  virtual std::string Text(int id) const = 0;
  virtual void SetText(int id, std::string_view text) = 0;
  virtual bool IsChecked(int id) const = 0;
  virtual void SetChecked(int id, bool checked) = 0;
  virtual void Enable(int id, bool enabled) = 0;
  virtual void Show(int id, bool shown) = 0;
  virtual void SetReadOnly(int id, bool readOnly) = 0;

  // A drop-down list: its entries, and the selected one (-1: none).
  virtual void SetListItems(int id, const std::vector<std::string>& items) = 0;
  virtual int Selection(int id) const = 0;
  virtual void Select(int id, int index) = 0;

  virtual void Focus(int id) = 0;
  // Puts the caret at `position` of the control's text as Text gives it,
  // with nothing selected, and scrolls it into view.
  virtual void SetCaret(int id, size_t position) = 0;

  virtual void SetTitle(std::string_view title) = 0;
  virtual WindowRect Rect() const = 0;
  // Moves and sizes the window without activating it or changing its
  // place in the z-order.
  virtual void Place(const WindowRect& rect) = 0;
  // Ends a modal dialog with `result`.
  virtual void End(int result) = 0;
};

}  // namespace trellisk::ui
