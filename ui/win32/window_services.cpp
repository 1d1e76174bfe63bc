#include "ui/win32/window_services.h"

#include <windows.h>

#include <commdlg.h>

#include <array>

#include "ui/win32/editor_window.h"

namespace trellisk::ui {

std::optional<std::string> WindowServices::AskSaveFile(std::string_view filter, std::string_view extension,
                                                       std::string_view current) {
  // One filter: its description, its pattern, and the empty pair that ends the list.
  std::string filters(filter);
  filters += '\0';
  filters += "*.";
  filters += extension;
  filters += '\0';
  filters += '\0';
  const std::string defaultExtension(extension);
  std::array<char, MAX_PATH> path{};
  current.copy(path.data(), path.size() - 1);

  OPENFILENAMEA request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = GetActiveWindow();
  request.lpstrFilter = filters.c_str();
  request.lpstrFile = path.data();
  request.nMaxFile = static_cast<DWORD>(path.size());
  request.lpstrDefExt = defaultExtension.c_str();
  request.Flags = OFN_LONGNAMES | OFN_NOREADONLYRETURN;
  if (!GetSaveFileNameA(&request) || path[0] == '\0') return std::nullopt;
  return std::string(path.data());
}

void WindowServices::RunEditor(EditorDialog& editor) { RunEditorWindow(core_.resources(), editor); }

}  // namespace trellisk::ui
