#include "ui/win32/editor_window.h"

#include <memory>

#include "ui/win32/cresize_ctrl.h"
#include "ui/win32/dialog_window.h"
#include "ui/win32/window_view.h"

namespace trellisk::ui {
namespace {

// One open editor window: its logic, the view over it, its font and its
// layout.
struct EditorWindow {
  explicit EditorWindow(EditorDialog& editor) : logic(editor) {}
  ~EditorWindow() {
    if (font) DeleteObject(font);
  }

  void Create(HWND window) {
    view = std::make_unique<WindowView>(window);
    font = CreateFontA(10, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH, "Courier");
    if (font) SendDlgItemMessageA(window, kEditorText, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    layout = std::make_unique<CResizeCtrl>(window, true, kEditorPartsPerWhole);
    for (const EditorDialog::LayoutControl& control : EditorDialog::Layout()) {
      layout->Add(GetDlgItem(window, control.id), control.shares);
    }
    layout->SetGripper(true);
    const WindowRect outer = view->Rect();
    layout->SetMinimumTrackingSize(outer.right - outer.left, outer.bottom - outer.top);
    logic.Initialize(*view);
  }

  EditorDialog& logic;
  std::unique_ptr<WindowView> view;
  HFONT font = nullptr;
  std::unique_ptr<CResizeCtrl> layout;
};

INT_PTR CALLBACK EditorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EditorWindow* editor = DialogObject<EditorWindow>(window, message, lParam);
  if (!editor) return FALSE;
  if (message == WM_INITDIALOG) {
    editor->Create(window);
    return FALSE;  // the logic has put the focus on the text
  }
  // The close box closes the log viewer too, whose Cancel button is
  // disabled (the system would then ignore it).
  if (message == WM_CLOSE) {
    editor->logic.Command(*editor->view,
                          editor->logic.mode() == EditorMode::kLogfile ? kEditorClose : kEditorCancel);
    return TRUE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    const int id = LOWORD(wParam);
    if (id == kEditorApply || id == kEditorCancel || id == kEditorClose) {
      editor->logic.Command(*editor->view, id);
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

void RunEditorWindow(const ResourceModule& module, EditorDialog& editor) {
  EditorWindow window(editor);
  RunModalDialog(module, kEditorTemplateId, EditorProcedure, reinterpret_cast<LPARAM>(&window));
}

}  // namespace trellisk::ui
