// MessageBoxes is how the plug-in speaks to the user outside its dialogs.
// The system's boxes (SystemMessageBoxes) are modal on Windows and wait for
// the user; on POSIX each is written to standard error as one line with its
// caption and text and returns at once. When the environment variable
// TRELLISK_MESSAGE_BOXES names a file, every system box is also appended to
// it as one line in the same form (on Windows it is then not shown, so that
// an unattended run never waits for a user). Tests give the code under test
// a recording implementation of their own instead.
//
// Implementations are thread-safe; no lock is held while a box waits for
// the user, so boxes of several threads may be open at once.
#pragma once

#include <string>
#include <string_view>

namespace trellisk::platform {

enum class MessageBoxIcon { None, Information, Warning, Error };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Shows the box and returns when it is closed.
  virtual void Show(std::string_view caption, std::string_view text, MessageBoxIcon icon) = 0;
};

// The system's boxes; live for the whole process.
MessageBoxes& SystemMessageBoxes();

// The one-line form of a box: "message box [<icon>] <caption>: <text>", line
// breaks inside the text written as the two characters \n.
std::string FormatMessageBoxLine(std::string_view caption, std::string_view text, MessageBoxIcon icon);

}  // namespace trellisk::platform
