// The scan report's window as a modeless dialog of the plug-in's own module.
#include <windows.h>

#include <string>

#include "platform/progress_window.h"
#include "platform/win32_module.h"

namespace trellisk::platform {
namespace {

constexpr WORD kReportTemplate = 110;
constexpr int kCountField = 1038;
// The dialog's private message: wParam is the count to show.
constexpr UINT kSetCountMessage = WM_USER + 10;

// Sets the count field on kSetCountMessage; answers FALSE to every message,
// so the dialog manager does everything else.
INT_PTR CALLBACK ProgressDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  if (message == kSetCountMessage) SetDlgItemInt(dialog, kCountField, static_cast<UINT>(wParam), FALSE);
  return FALSE;
}

// 8-bit text in the ANSI code page, as UTF-16.
std::wstring Widened(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return wide;
}

// The active window of the thread in the foreground, when it is one of this
// process (the host's): the report stays above it and goes with it. The
// report's own thread has no active window.
HWND HostActiveWindow() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(0, &info) || !info.hwndActive) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(info.hwndActive, &process);
  return process == GetCurrentProcessId() ? info.hwndActive : nullptr;
}

class ReportDialog final : public ProgressWindow {
 public:
  ReportDialog() = default;
  ~ReportDialog() override { Close(); }
  ReportDialog(const ReportDialog&) = delete;
  ReportDialog& operator=(const ReportDialog&) = delete;

  // Shown without taking the focus from the host; painted at once.
  void Show(std::string_view title) override {
    if (dialog_) return;
    dialog_ = CreateDialogParamW(OwnModule(), MAKEINTRESOURCEW(kReportTemplate), HostActiveWindow(),
                                 &ProgressDialogProcedure, 0);
    if (!dialog_) return;
    SetWindowTextW(dialog_, Widened(title).c_str());
    ShowWindow(dialog_, SW_SHOWNOACTIVATE);
    UpdateWindow(dialog_);
  }

  void SetCount(uint32_t count) override {
    if (dialog_) SendMessageW(dialog_, kSetCountMessage, count, 0);
  }

  void Close() override {
    if (!dialog_) return;
    DestroyWindow(dialog_);
    dialog_ = nullptr;
  }

 private:
  HWND dialog_ = nullptr;
};

}  // namespace

std::unique_ptr<ProgressWindow> MakeSystemProgressWindow() { return std::make_unique<ReportDialog>(); }

}  // namespace trellisk::platform
