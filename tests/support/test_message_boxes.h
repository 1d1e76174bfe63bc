// TestMessageBoxes takes the message boxes of the code under test instead
// of the user: every box is recorded and handed to the observer a test may
// set; none is shown. Test-only; thread-safe.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box.h"

namespace trellisk::testing {

class TestMessageBoxes final : public platform::MessageBoxes {
 public:
  struct Box {
    std::string caption;
    std::string text;
    platform::MessageBoxIcon icon;
  };
  using Observer = std::function<void(std::string_view caption, std::string_view text, platform::MessageBoxIcon)>;

  // Called for every later box, under the recorder's lock.
  void Observe(Observer observer) {
    std::lock_guard<std::mutex> lock(mutex_);
    observer_ = std::move(observer);
  }

  void Show(std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) override {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back(Box{std::string(caption), std::string(text), icon});
    if (observer_) observer_(caption, text, icon);
  }

  // The boxes shown so far, in order.
  std::vector<Box> boxes() {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
  }

 private:
  std::mutex mutex_;
  Observer observer_;
  std::vector<Box> boxes_;
};

}  // namespace trellisk::testing
