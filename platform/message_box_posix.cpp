#include <cstdio>

#include "platform/system_message_box.h"

namespace trellisk::platform {

void ShowSystemMessageBox(std::string_view caption, std::string_view text, MessageBoxIcon icon,
                          bool /*captured*/) {
  std::fprintf(stderr, "%s\n", FormatMessageBoxLine(caption, text, icon).c_str());
}

}  // namespace trellisk::platform
