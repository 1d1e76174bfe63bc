// trellisk-dialog-preview LANGUAGE PAGE SECONDS: shows the setup frame
// (dialog 101) with its seven tab captions and page PAGE (0 General ... 6
// About) of the resource module of LANGUAGE (from trellisk.lng beside the
// program; 0 is English) for SECONDS seconds, then exits 0. It draws the
// templates as the system lays them out, for screenshots of the dialogs in
// every language; it edits nothing. Exits 1 when the language cannot be put
// in effect or a dialog cannot be created (no display, say).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/language_resources.h"
#include "base/text_id.h"
#include "platform/file_system.h"

namespace trellisk {
namespace {

struct Tab {
  int caption;
  int page;
};
constexpr Tab kTabs[] = {{kTextTabGeneral, 103}, {kTextTabDatabase, 102}, {kTextTabLists, 105},
                         {kTextTabDnsBlacklist, 106}, {kTextTabRegExpFilter, 113}, {kTextTabLogfile, 112},
                         {kTextTabAbout, 104}};

INT_PTR CALLBACK PassiveDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

std::wstring ModuleText(HMODULE module, int id) {
  wchar_t buffer[500];
  const int length = LoadStringW(module, static_cast<UINT>(id), buffer, 500);
  return std::wstring(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string LanguageFileBesideProgram() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + "trellisk.lng";
}

void FillLanguageList(HWND page, HMODULE module) {
  const std::wstring names = ModuleText(module, kTextLanguageNames);
  for (size_t start = 0, end; (end = names.find(L';', start)) != std::wstring::npos; start = end + 1) {
    SendDlgItemMessageW(page, 1042, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names.substr(start, end - start).c_str()));
  }
  SendDlgItemMessageW(page, 1042, CB_SETCURSEL, 0, 0);
}

// The page inside the tab control's display area of the frame.
void PlacePage(HWND frame, HWND tab, HWND page) {
  RECT area;
  GetWindowRect(tab, &area);
  MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  SetWindowPos(page, HWND_TOP, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
}

int Show(uint32_t language, int selected, int seconds) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
  InitCommonControlsEx(&controls);
  LoadLibraryA("riched20.dll");
  LanguageResources languages(OwnResourceModule(), ".");
  std::string problem;
  languages.Open(platform::DefaultFileSystem(), LanguageFileBesideProgram(), problem);
  if (!languages.Switch(language, problem)) return std::fprintf(stderr, "language %u: %s\n", language, problem.c_str()), 1;
  const auto module = static_cast<HMODULE>(languages.Current().systemHandle());
  HWND frame = CreateDialogParamW(module, MAKEINTRESOURCEW(101), nullptr, PassiveDialog, 0);
  if (!frame) return std::fprintf(stderr, "dialog 101 cannot be created (error %lu)\n", GetLastError()), 1;
  HWND tab = GetDlgItem(frame, 1020);
  for (int i = 0; i < 7; ++i) {
    std::wstring caption = ModuleText(module, kTabs[i].caption);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageW(tab, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  TabCtrl_SetCurSel(tab, selected);
  HWND page = CreateDialogParamW(module, MAKEINTRESOURCEW(kTabs[selected].page), frame, PassiveDialog, 0);
  if (!page) return std::fprintf(stderr, "page %d cannot be created\n", kTabs[selected].page), 1;
  if (kTabs[selected].page == 103) FillLanguageList(page, module);
  PlacePage(frame, tab, page);
  ShowWindow(frame, SW_SHOW);
  std::printf("shown\n");
  std::fflush(stdout);
  for (const DWORD end = GetTickCount() + 1000u * static_cast<DWORD>(seconds); GetTickCount() < end;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(20);
  }
  DestroyWindow(frame);
  return 0;
}

}  // namespace
}  // namespace trellisk

int main(int argc, char** argv) {
  if (argc != 4) return std::fprintf(stderr, "usage: trellisk-dialog-preview LANGUAGE PAGE SECONDS\n"), 2;
  const int page = std::atoi(argv[2]);
  if (page < 0 || page > 6) return std::fprintf(stderr, "PAGE is 0 to 6\n"), 2;
  return trellisk::Show(static_cast<uint32_t>(std::atoi(argv[1])), page, std::atoi(argv[3]));
}
