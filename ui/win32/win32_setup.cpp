// The setup dialog on Windows: the rich-edit and tab-control classes it
// needs, then the frame, with a box for each thing that failed.
#include <windows.h>

#include <commctrl.h>

#include "ui/setup_front_end.h"
#include "ui/win32/setup_frame.h"

namespace trellisk::ui {

int RunSetupFrontEnd(PluginCore& core, std::shared_ptr<Session> session,
                     const std::function<void()>& showTrainingWarning) {
  showTrainingWarning();
  const auto fail = [&](TextId text) {
    session->boxes.Show(core.texts().Load(kTextError), core.texts().Load(text), platform::MessageBoxIcon::Error);
  };
  int result = 1;
  HMODULE richEdit = LoadLibraryA("riched20.dll");
  if (!richEdit) richEdit = LoadLibraryA("riched32.dll");
  if (!richEdit) {
    fail(kTextCantInitRichEdit);
    result = 0;
  }
  const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
  if (!InitCommonControlsEx(&controls)) {
    fail(kTextCantInitTabControl);
    result = 0;
  } else if (SetupFrame(core, session).Run() <= 0) {
    fail(kTextCantCreateDialog);
    result = 0;
  }
  if (richEdit) FreeLibrary(richEdit);
  return result;
}

}  // namespace trellisk::ui
