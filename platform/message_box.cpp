#include "platform/message_box.h"

#include <cstdio>
#include <mutex>

#include "platform/environment.h"
#include "platform/system_message_box.h"

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

// True when the environment names a capture file and the line was appended.
bool AppendToCaptureFile(const std::string& line) {
  const std::optional<std::string> path = EnvironmentVariable("TRELLISK_MESSAGE_BOXES");
  if (!path || path->empty()) return false;
  std::FILE* file = std::fopen(path->c_str(), "ab");
  if (!file) return false;
  const bool written = std::fprintf(file, "%s\n", line.c_str()) > 0;
  return std::fclose(file) == 0 && written;
}

}  // namespace

std::string FormatMessageBoxLine(std::string_view caption, std::string_view text,
                                 MessageBoxIcon icon) {
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

void ShowMessageBox(std::string_view caption, std::string_view text, MessageBoxIcon icon) {
  std::lock_guard<std::mutex> lock(ObserverMutex());
  if (Observer()) {
    Observer()(caption, text, icon);
    return;
  }
  const bool captured = AppendToCaptureFile(FormatMessageBoxLine(caption, text, icon));
  ShowSystemMessageBox(caption, text, icon, captured);
}

void SetMessageBoxObserver(MessageBoxObserver observer) {
  std::lock_guard<std::mutex> lock(ObserverMutex());
  Observer() = std::move(observer);
}

}  // namespace trellisk::platform
