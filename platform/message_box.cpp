#include "platform/message_box.h"

#include <cstdio>
#include <mutex>
#include <optional>

#include "platform/environment.h"
#include "platform/system_message_box.h"

namespace trellisk::platform {
namespace {

// True when the environment names a capture file and the line was appended.
// The appends of several threads are serialised; the box itself is shown
// outside this lock.
bool AppendToCaptureFile(const std::string& line) {
  static std::mutex captureMutex;
  const std::optional<std::string> path = EnvironmentVariable("TRELLISK_MESSAGE_BOXES");
  if (!path || path->empty()) return false;
  std::lock_guard<std::mutex> lock(captureMutex);
  std::FILE* file = std::fopen(path->c_str(), "ab");
  if (!file) return false;
  const bool written = std::fprintf(file, "%s\n", line.c_str()) > 0;
  return std::fclose(file) == 0 && written;
}

class SystemBoxes final : public MessageBoxes {
 public:
  void Show(std::string_view caption, std::string_view text, MessageBoxIcon icon) override {
    const bool captured = AppendToCaptureFile(FormatMessageBoxLine(caption, text, icon));
    ShowSystemMessageBox(caption, text, icon, captured);
  }
};

}  // namespace

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
