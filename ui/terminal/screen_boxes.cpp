#include "ui/terminal/screen_boxes.h"

#include <cstdio>

namespace trellisk::ui::terminal {

void ScreenBoxes::Present(std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!show_) {
    lock.unlock();
    std::fprintf(stderr, "%s\n", platform::FormatMessageBoxLine(caption, text, icon).c_str());
  } else if (std::this_thread::get_id() == uiThread_) {
    const Show show = show_;
    lock.unlock();
    show(caption, text, icon);
  } else {
    queued_.push_back(Box{std::string(caption), std::string(text), icon});
  }
}

void ScreenBoxes::ShowQueued() {
  std::unique_lock<std::mutex> lock(mutex_);
  // A box shown waits for keys, which come back here.
  if (showing_) return;
  showing_ = true;
  while (!queued_.empty() && show_) {
    const Box box = std::move(queued_.front());
    queued_.pop_front();
    const Show show = show_;
    lock.unlock();
    show(box.caption, box.text, box.icon);
    lock.lock();
  }
  showing_ = false;
}

std::vector<std::string> ScreenBoxes::Detach() {
  const std::lock_guard<std::mutex> lock(mutex_);
  show_ = nullptr;
  std::vector<std::string> lines;
  for (const Box& box : queued_) lines.push_back(platform::FormatMessageBoxLine(box.caption, box.text, box.icon));
  queued_.clear();
  return lines;
}

}  // namespace trellisk::ui::terminal
