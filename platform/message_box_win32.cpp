#include <windows.h>

#include <string>

#include "platform/system_message_box.h"

namespace trellisk::platform {
namespace {

UINT IconStyle(MessageBoxIcon icon) {
  switch (icon) {
    case MessageBoxIcon::Information:
      return MB_ICONINFORMATION;
    case MessageBoxIcon::Warning:
      return MB_ICONWARNING;
    case MessageBoxIcon::Error:
      return MB_ICONERROR;
    case MessageBoxIcon::None:
      break;
  }
  return 0;
}

}  // namespace

// Modal, without an owner window, as the plug-in's boxes always are.
void ShowSystemMessageBox(std::string_view caption, std::string_view text, MessageBoxIcon icon, bool captured) {
  if (captured) return;
  const std::string captionText(caption);
  const std::string bodyText(text);
  MessageBoxA(nullptr, bodyText.c_str(), captionText.c_str(), MB_OK | IconStyle(icon));
}

}  // namespace trellisk::platform
