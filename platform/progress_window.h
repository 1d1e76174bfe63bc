// ProgressWindow is the small window of the scan report: a title and one
// number, the count of training requests so far. On Windows it is a
// modeless dialog made from template 110 of the plug-in's own module (never
// a language module), owned by the host's active window; on POSIX it is a
// counter redrawn in place on one line of standard error, written only when
// standard error is a terminal and ended with a line break when closed.
//
// A window belongs to the thread that shows it: Show, SetCount, Close and
// the destructor are called on that thread alone. Such a thread runs no
// message loop of its own; between updates it must dispatch its pending
// messages, as every message-pumping wait of sync.h does, so that the
// window paints and answers the system.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace trellisk::platform {

class ProgressWindow {
 public:
  // Closes the window when it is open.
  virtual ~ProgressWindow() = default;
  // Opens the window with `title`, showing the count 0.
  virtual void Show(std::string_view title) = 0;
  // Shows `count`; nothing when the window is not open.
  virtual void SetCount(uint32_t count) = 0;
  // Closes the window; nothing when it is not open.
  virtual void Close() = 0;
};

// The system's window, not yet open. The caller owns it.
std::unique_ptr<ProgressWindow> MakeSystemProgressWindow();

}  // namespace trellisk::platform
