// ScreenBoxes shows the plug-in's system message boxes in the terminal
// while the setup dialog owns it (installed as the MessageBoxPresenter of
// platform/message_box_presenter.h). A box from the UI thread is shown at
// once, as a modal box over the dialog. A box from another thread (a
// learning thread, a scoring call) never touches curses: it is queued and
// shown from the UI thread's loop the next time it waits for a key. Once
// detached (the screen is closing), boxes go to standard error as one
// line each, as without the dialog; Detach hands back the ones still
// queued so that they can be printed after the terminal is restored.
//
// Thread-safety: Present may be called from any thread; ShowQueued and
// Detach on the UI thread only.
#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/message_box_presenter.h"

namespace trellisk::ui::terminal {

class ScreenBoxes final : public platform::MessageBoxPresenter {
 public:
  // Shows one box modally on the screen and returns when it is closed.
  using Show = std::function<void(std::string_view caption, std::string_view text, platform::MessageBoxIcon icon)>;

  // The calling thread is the UI thread.
  explicit ScreenBoxes(Show show) : show_(std::move(show)), uiThread_(std::this_thread::get_id()) {}

  void Present(std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) override;
  // Shows the queued boxes one after the other.
  void ShowQueued();
  // The queued boxes, in their one-line form; later boxes go to standard
  // error at once.
  std::vector<std::string> Detach();

 private:
  struct Box {
    std::string caption, text;
    platform::MessageBoxIcon icon;
  };

  std::mutex mutex_;
  // Empty once detached.
  Show show_;
  const std::thread::id uiThread_;
  std::deque<Box> queued_;
  bool showing_ = false;
};

}  // namespace trellisk::ui::terminal
