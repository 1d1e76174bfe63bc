#include "ui/win32/window_view.h"

#include <richedit.h>

#include <cstring>

namespace trellisk::ui {
namespace {

// Room beyond the reported length of a rich edit's text.
constexpr size_t kTextRoom = 10;

// A rich edit's whole text, paragraphs ended by "\r" alone.
std::string RichEditText(HWND control) {
  GETTEXTLENGTHEX length{GTL_NUMBYTES | GTL_PRECISE, CP_ACP};
  const LRESULT bytes = SendMessageA(control, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
  if (bytes <= 0) return {};
  std::string text(static_cast<size_t>(bytes) + kTextRoom, '\0');
  GETTEXTEX request{static_cast<DWORD>(text.size()), GT_DEFAULT, CP_ACP, nullptr, nullptr};
  const LRESULT copied =
      SendMessageA(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

}  // namespace

bool WindowView::IsRichEdit(int id) const {
  char name[32] = {};
  GetClassNameA(Control(id), name, sizeof(name));
  return _strnicmp(name, "RichEdit", 8) == 0;
}

std::string WindowView::Text(int id) const {
  if (IsRichEdit(id)) return RichEditText(Control(id));
  std::string text(static_cast<size_t>(GetWindowTextLengthA(Control(id))) + 1, '\0');
  text.resize(static_cast<size_t>(GetDlgItemTextA(window_, id, text.data(), static_cast<int>(text.size()))));
  return text;
}

void WindowView::SetText(int id, std::string_view text) {
  // A rich edit takes any length of text, not only its default 32K.
  if (IsRichEdit(id)) SendDlgItemMessageA(window_, id, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SetDlgItemTextA(window_, id, std::string(text).c_str());
}

bool WindowView::IsChecked(int id) const { return SendDlgItemMessageA(window_, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void WindowView::SetChecked(int id, bool checked) {
  SendDlgItemMessageA(window_, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void WindowView::Enable(int id, bool enabled) { EnableWindow(Control(id), enabled); }

void WindowView::Show(int id, bool shown) { ShowWindow(Control(id), shown ? SW_SHOW : SW_HIDE); }

void WindowView::SetReadOnly(int id, bool readOnly) { SendDlgItemMessageA(window_, id, EM_SETREADONLY, readOnly, 0); }

void WindowView::SetListItems(int id, const std::vector<std::string>& items) {
  SendDlgItemMessageA(window_, id, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items) {
    SendDlgItemMessageA(window_, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

int WindowView::Selection(int id) const {
  const LRESULT selected = SendDlgItemMessageA(window_, id, CB_GETCURSEL, 0, 0);
  return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

void WindowView::Select(int id, int index) {
  SendDlgItemMessageA(window_, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void WindowView::Focus(int id) { SetFocus(Control(id)); }

void WindowView::SetCaret(int id, size_t position) {
  CHARRANGE caret{static_cast<LONG>(position), static_cast<LONG>(position)};
  SendDlgItemMessageA(window_, id, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  SendDlgItemMessageA(window_, id, EM_SCROLLCARET, 0, 0);
}

void WindowView::SetTitle(std::string_view title) { SetWindowTextA(window_, std::string(title).c_str()); }

WindowRect WindowView::Rect() const {
  RECT rect;
  GetWindowRect(window_, &rect);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

void WindowView::Place(const WindowRect& rect) {
  SetWindowPos(window_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_NOACTIVATE | SWP_NOZORDER);
}

void WindowView::End(int result) { EndDialog(window_, result); }

}  // namespace trellisk::ui
