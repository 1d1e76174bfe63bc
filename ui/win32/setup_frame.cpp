#include "ui/win32/setup_frame.h"

#include <commctrl.h>

#include <string>

#include "ui/win32/dialog_window.h"

namespace trellisk::ui {

SetupFrame::SetupFrame(PluginCore& core, std::shared_ptr<Session> session)
    : core_(core), services_(core, session->boxes), dialog_(core, std::move(session), services_) {
  for (const std::unique_ptr<SetupPage>& page : dialog_.pages()) pages_.push_back(Page{*page, nullptr});
}

INT_PTR SetupFrame::Run() {
  return RunModalDialog(core_.resources(), kSetupTemplateId, FrameProcedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK SetupFrame::FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SetupFrame* frame = DialogObject<SetupFrame>(window, message, lParam);
  if (!frame) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      frame->Create(window);
      return TRUE;
    case WM_NOTIFY: {
      const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
      if (notice->idFrom == kSetupTabControl && notice->code == TCN_SELCHANGE) frame->SelectionChanged();
      return FALSE;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == kSetupOk) frame->Ok();
      if (LOWORD(wParam) == kSetupCancel) EndDialog(window, kSetupCancel);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK SetupFrame::PageProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Page* page = DialogObject<Page>(window, message, lParam);
  if (!page) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      page->view = std::make_unique<WindowView>(window);
      PlacePage(window);
      page->logic.Initialize(*page->view);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED && HIWORD(wParam) != CBN_SELCHANGE) return FALSE;
      page->logic.Command(*page->view, LOWORD(wParam));
      return TRUE;
    case kRefreshMessage:
      page->logic.Refresh(*page->view);
      return TRUE;
    default:
      return FALSE;
  }
}

// The page's origin is the top-left corner of the tab control's display
// area, in the frame's client coordinates (the tab control's place in the
// frame's window less the frame's edge and caption); its size stays.
void SetupFrame::PlacePage(HWND page) {
  const HWND frame = GetParent(page);
  const HWND tab = GetDlgItem(frame, kSetupTabControl);
  RECT area;
  GetWindowRect(tab, &area);
  MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&area), 2);
  TabCtrl_AdjustRect(tab, FALSE, &area);
  SetWindowPos(page, HWND_TOP, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void SetupFrame::Create(HWND frame) {
  frame_ = frame;
  AddTabs();
  CreatePages();
  ShowPage(TabCtrl_GetCurSel(GetDlgItem(frame_, kSetupTabControl)));
}

void SetupFrame::AddTabs() const {
  const HWND tab = GetDlgItem(frame_, kSetupTabControl);
  for (size_t index = 0; index < pages_.size(); ++index) {
    std::string caption = core_.texts().Load(pages_[index].logic.CaptionId());
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = caption.data();
    SendMessageA(tab, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
  }
}

void SetupFrame::CreatePages() {
  everyTemplateLoaded_ = true;
  for (Page& page : pages_) {
    const std::optional<std::vector<uint8_t>> dialog = core_.resources().DialogTemplate(page.logic.TemplateId());
    if (!dialog) {
      everyTemplateLoaded_ = false;
      continue;
    }
    const HWND window = CreateDialogIndirectParamA(CodeModule(), reinterpret_cast<LPCDLGTEMPLATEA>(dialog->data()),
                                                   frame_, PageProcedure, reinterpret_cast<LPARAM>(&page));
    if (!window) page.view.reset();
  }
}

// Every other page is disabled and hidden first, then the selected one is
// enabled and shown.
void SetupFrame::ShowPage(int selected) const {
  for (size_t index = 0; index < pages_.size(); ++index) {
    if (!pages_[index].view || static_cast<int>(index) == selected) continue;
    EnableWindow(pages_[index].view->window(), FALSE);
    ShowWindow(pages_[index].view->window(), SW_HIDE);
  }
  if (selected < 0 || static_cast<size_t>(selected) >= pages_.size() || !pages_[selected].view) return;
  EnableWindow(pages_[selected].view->window(), TRUE);
  ShowWindow(pages_[selected].view->window(), SW_SHOW);
}

void SetupFrame::SelectionChanged() const {
  if (everyTemplateLoaded_) ShowPage(TabCtrl_GetCurSel(GetDlgItem(frame_, kSetupTabControl)));
}

void SetupFrame::Ok() {
  std::vector<const DialogView*> views;
  for (const Page& page : pages_) views.push_back(page.view.get());
  dialog_.Ok(views);
  EndDialog(frame_, kSetupOk);
}

}  // namespace trellisk::ui
