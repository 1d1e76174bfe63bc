// The operating system's part of SystemMessageBoxes (message_box.h): on Windows
// a modal box, on POSIX a line on standard error. message_box.cpp records
// the box in the capture file first. Thread-safe.
#pragma once

#include <string_view>

#include "platform/message_box.h"

namespace trellisk::platform {

// `captured` says that the box was recorded in the capture file: on Windows
// it is then not shown, so that an unattended run does not wait for a user.
void ShowSystemMessageBox(std::string_view caption, std::string_view text, MessageBoxIcon icon, bool captured);

}  // namespace trellisk::platform
