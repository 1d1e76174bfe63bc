#include "ui/terminal/screen_boxes.h"

#include <cstdio>

#include "ui/terminal/modal_windows.h"

namespace trellisk::ui::terminal {

void ScreenBoxes::Present(std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (screen_ == nullptr) {
    lock.unlock();
    std::fprintf(stderr, "%s\n", platform::FormatMessageBoxLine(caption, text, icon).c_str());
  } else if (std::this_thread::get_id() == uiThread_) {
    Screen& screen = *screen_;
    lock.unlock();
    ShowMessageBox(screen, caption, text, icon);
  } else {
    queued_.push_back(Box{std::string(caption), std::string(text), icon});
  }
}

void ScreenBoxes::ShowQueued() {
  std::unique_lock<std::mutex> lock(mutex_);
  // A box shown waits for keys, which come back here.
  if (showing_) return;
  showing_ = true;
  while (!queued_.empty() && screen_ != nullptr) {
    const Box box = std::move(queued_.front());
    queued_.pop_front();
    Screen& screen = *screen_;
    lock.unlock();
    ShowMessageBox(screen, box.caption, box.text, box.icon);
    lock.lock();
  }
  showing_ = false;
}

std::vector<std::string> ScreenBoxes::Detach() {
  const std::lock_guard<std::mutex> lock(mutex_);
  screen_ = nullptr;
  std::vector<std::string> lines;
  for (const Box& box : queued_) lines.push_back(platform::FormatMessageBoxLine(box.caption, box.text, box.icon));
  queued_.clear();
  return lines;
}

}  // namespace trellisk::ui::terminal
