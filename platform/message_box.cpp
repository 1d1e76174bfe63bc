#include "platform/message_box.h"

namespace trellisk::platform {

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

}  // namespace trellisk::platform
