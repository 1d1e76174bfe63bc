#include "ui/win32/dialog_window.h"

namespace trellisk::ui {

HINSTANCE CodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&CodeModule), &module);
  return module;
}

INT_PTR RunModalDialog(const ResourceModule& module, int id, DLGPROC procedure, LPARAM parameter) {
  const std::optional<std::vector<uint8_t>> dialog = module.DialogTemplate(id);
  if (!dialog) return -1;
  return DialogBoxIndirectParamA(CodeModule(), reinterpret_cast<LPCDLGTEMPLATEA>(dialog->data()), GetActiveWindow(),
                                 procedure, parameter);
}

}  // namespace trellisk::ui
