// Message boxes: the only way the plug-in speaks to the user outside its
// dialogs. On Windows a box is modal and waits for the user; on POSIX it is
// written to standard error as one line with its caption and text and returns
// at once.
//
// Tests capture boxes either with SetMessageBoxObserver (same process) or by
// naming a file in the environment variable TRELLISK_MESSAGE_BOXES, to which
// every box is appended as one line in the same form as on standard error.
// Thread-safe.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace trellisk::platform {

enum class MessageBoxIcon { None, Information, Warning, Error };

void ShowMessageBox(std::string_view caption, std::string_view text, MessageBoxIcon icon);

// The one-line form of a box: "message box [<icon>] <caption>: <text>", line
// breaks inside the text written as the two characters \n.
std::string FormatMessageBoxLine(std::string_view caption, std::string_view text,
                                 MessageBoxIcon icon);

using MessageBoxObserver =
    std::function<void(std::string_view caption, std::string_view text, MessageBoxIcon icon)>;
// While an observer is set, boxes go to it instead of standard error.
// Pass an empty function to restore the default.
void SetMessageBoxObserver(MessageBoxObserver observer);

}  // namespace trellisk::platform
