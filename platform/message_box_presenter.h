// MessageBoxPresenter lets a user interface that owns the screen for a
// while (the terminal setup dialog) show the system's message boxes
// itself. While a presenter is installed, SystemMessageBoxes (message_box.h)
// records each box as before and then hands it to the presenter instead of
// showing it the system's way.
//
// Thread-safety: boxes may come from any thread, so Present must be
// thread-safe; it is called without any lock held. Installing and removing
// are serialised with the calls, and a presenter is kept alive (shared
// ownership) by a call that is still in it when it is removed.
#pragma once

#include <memory>
#include <string_view>

#include "platform/message_box.h"

namespace trellisk::platform {

class MessageBoxPresenter {
 public:
  virtual ~MessageBoxPresenter() = default;
  virtual void Present(std::string_view caption, std::string_view text, MessageBoxIcon icon) = 0;
};

// Installs `presenter` for its lifetime and puts back the one it replaced.
class ScopedMessageBoxPresenter {
 public:
  explicit ScopedMessageBoxPresenter(std::shared_ptr<MessageBoxPresenter> presenter);
  ~ScopedMessageBoxPresenter();
  ScopedMessageBoxPresenter(const ScopedMessageBoxPresenter&) = delete;
  ScopedMessageBoxPresenter& operator=(const ScopedMessageBoxPresenter&) = delete;

 private:
  std::shared_ptr<MessageBoxPresenter> previous_;
};

}  // namespace trellisk::platform
