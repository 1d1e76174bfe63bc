// The setup dialog in the terminal the host runs in. Without a terminal on
// both standard input and output there is no dialog, as when the system
// cannot create one.
#include <cstdio>

#include "platform/message_box_presenter.h"
#include "ui/setup_front_end.h"
#include "ui/terminal/modal_windows.h"
#include "ui/terminal/screen_boxes.h"
#include "ui/terminal/setup_window.h"

namespace trellisk::ui {
namespace {

using terminal::Screen;
using terminal::ScreenBoxes;

int CannotCreateDialog(PluginCore& core, Session& session) {
  session.boxes.Show(core.texts().Load(kTextError), core.texts().Load(kTextCantCreateDialog),
                     platform::MessageBoxIcon::Error);
  return 0;
}

// Closes the screen on every way out of the dialog: the boxes stop using
// it first, the terminal is restored, then the boxes that were still
// waiting are printed where they would have gone without the dialog.
class ScreenClosing {
 public:
  ScreenClosing(std::unique_ptr<Screen>& screen, ScreenBoxes& boxes) : screen_(screen), boxes_(boxes) {}
  ~ScreenClosing() {
    const std::vector<std::string> waiting = boxes_.Detach();
    screen_.reset();
    for (const std::string& line : waiting) std::fprintf(stderr, "%s\n", line.c_str());
  }
  ScreenClosing(const ScreenClosing&) = delete;
  ScreenClosing& operator=(const ScreenClosing&) = delete;

 private:
  std::unique_ptr<Screen>& screen_;
  ScreenBoxes& boxes_;
};

}  // namespace

int RunSetupFrontEnd(PluginCore& core, std::shared_ptr<Session> session,
                     const std::function<void()>& showTrainingWarning) {
  std::unique_ptr<Screen> screen = Screen::Open();
  if (!screen) {
    showTrainingWarning();
    return CannotCreateDialog(core, *session);
  }
  const auto boxes = std::make_shared<ScreenBoxes>(
      [&screen = *screen](std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) {
        terminal::ShowMessageBox(screen, caption, text, icon);
      });
  bool ran = false;
  {
    const platform::ScopedMessageBoxPresenter presenter(boxes);
    const ScreenClosing closing(screen, *boxes);
    screen->SetIdle([&boxes] { boxes->ShowQueued(); });
    showTrainingWarning();
    if (std::unique_ptr<terminal::SetupWindow> window = terminal::SetupWindow::Open(*screen, core, session)) {
      window->Run();
      ran = true;
    }
  }
  return ran ? 1 : CannotCreateDialog(core, *session);
}

}  // namespace trellisk::ui
