// Helpers for system dialogs made from the templates of a resource module:
// a modal dialog from a template id, and the per-window object a dialog
// procedure serves. Templates are copied out of the module first, so that a
// language switch while a dialog is open (which releases the module) does
// not pull them away; the dialogs belong to the plug-in's own module.
//
// Thread-safety: a dialog and its object are used only on the thread that
// runs the dialog.
#pragma once

#include <windows.h>

#include "base/resource_module.h"

namespace trellisk::ui {

// The module that holds this code: the instance every dialog belongs to.
HINSTANCE CodeModule();

// Runs template `id` of `module` modally, owned by the thread's active
// window, with `procedure` getting `parameter` on WM_INITDIALOG. The
// dialog's result; -1 when the template is missing or the dialog cannot be
// created.
INT_PTR RunModalDialog(const ResourceModule& module, int id, DLGPROC procedure, LPARAM parameter);

// The object of a dialog procedure: the WM_INITDIALOG parameter, kept in
// the window's user data and returned on every later message; null for
// messages before WM_INITDIALOG.
template <typename T>
T* DialogObject(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  return reinterpret_cast<T*>(GetWindowLongPtrA(window, DWLP_USER));
}

}  // namespace trellisk::ui
