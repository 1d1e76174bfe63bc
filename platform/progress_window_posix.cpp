#include <cstdio>
#include <string>

#include "platform/progress_window.h"
#include "platform/terminal.h"

namespace trellisk::platform {
namespace {

// "\r<title> <count>" on standard error. Counts only grow while the window
// is open, so every line covers the one before it.
class TerminalCounter final : public ProgressWindow {
 public:
  TerminalCounter() : visible_(StandardErrorIsTerminal()) {}
  ~TerminalCounter() override { Close(); }

  void Show(std::string_view title) override {
    title_ = title;
    open_ = true;
    SetCount(0);
  }

  void SetCount(uint32_t count) override {
    if (!open_ || !visible_) return;
    std::fprintf(stderr, "\r%s %u", title_.c_str(), count);
    std::fflush(stderr);
  }

  void Close() override {
    if (!open_) return;
    open_ = false;
    if (!visible_) return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
  }

 private:
  const bool visible_;
  bool open_ = false;
  std::string title_;
};

}  // namespace

std::unique_ptr<ProgressWindow> MakeSystemProgressWindow() { return std::make_unique<TerminalCounter>(); }

}  // namespace trellisk::platform
