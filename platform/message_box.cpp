#include "platform/message_box.h"

#include <mutex>

#include "platform/message_box_presenter.h"
#include "platform/report_file.h"
#include "platform/system_message_box.h"

namespace trellisk::platform {
namespace {

std::mutex presenterMutex;
std::shared_ptr<MessageBoxPresenter> installedPresenter;

std::shared_ptr<MessageBoxPresenter> ExchangePresenter(std::shared_ptr<MessageBoxPresenter> next) {
  const std::lock_guard<std::mutex> lock(presenterMutex);
  installedPresenter.swap(next);
  return next;
}

std::shared_ptr<MessageBoxPresenter> CurrentPresenter() {
  const std::lock_guard<std::mutex> lock(presenterMutex);
  return installedPresenter;
}

// The box is recorded first; it is shown without any lock held.
class SystemBoxes final : public MessageBoxes {
 public:
  void Show(std::string_view caption, std::string_view text, MessageBoxIcon icon) override {
    const bool captured = AppendToReportFile("TRELLISK_MESSAGE_BOXES", FormatMessageBoxLine(caption, text, icon));
    if (const std::shared_ptr<MessageBoxPresenter> presenter = CurrentPresenter()) {
      presenter->Present(caption, text, icon);
    } else {
      ShowSystemMessageBox(caption, text, icon, captured);
    }
  }
};

}  // namespace

ScopedMessageBoxPresenter::ScopedMessageBoxPresenter(std::shared_ptr<MessageBoxPresenter> presenter)
    : previous_(ExchangePresenter(std::move(presenter))) {}

ScopedMessageBoxPresenter::~ScopedMessageBoxPresenter() { ExchangePresenter(std::move(previous_)); }

MessageBoxes& SystemMessageBoxes() {
  static SystemBoxes boxes;
  return boxes;
}

std::string FormatMessageBoxLine(std::string_view caption, std::string_view text, MessageBoxIcon icon) {
  static constexpr const char* kIconNames[] = {"none", "information", "warning", "error"};
  std::string line = "message box [";
  line += kIconNames[static_cast<int>(icon)];
  line += "] ";
  line += caption;
  line += ": ";
  for (char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else if (c != '\r') {
      line += c;
    }
  }
  return line;
}

}  // namespace trellisk::platform
