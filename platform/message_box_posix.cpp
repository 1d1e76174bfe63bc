#include <cstdio>
#include <mutex>

#include "platform/environment.h"
#include "platform/message_box.h"

namespace trellisk::platform {
namespace {

std::mutex& ObserverMutex() {
  static std::mutex mutex;
  return mutex;
}

MessageBoxObserver& Observer() {
  static MessageBoxObserver observer;
  return observer;
}

void AppendToCaptureFile(const std::string& line) {
  const std::optional<std::string> path = EnvironmentVariable("TRELLISK_MESSAGE_BOXES");
  if (!path || path->empty()) return;
  if (std::FILE* file = std::fopen(path->c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

}  // namespace

void ShowMessageBox(std::string_view caption, std::string_view text, MessageBoxIcon icon) {
  std::lock_guard<std::mutex> lock(ObserverMutex());
  if (Observer()) {
    Observer()(caption, text, icon);
    return;
  }
  const std::string line = FormatMessageBoxLine(caption, text, icon);
  std::fprintf(stderr, "%s\n", line.c_str());
  AppendToCaptureFile(line);
}

void SetMessageBoxObserver(MessageBoxObserver observer) {
  std::lock_guard<std::mutex> lock(ObserverMutex());
  Observer() = std::move(observer);
}

}  // namespace trellisk::platform
