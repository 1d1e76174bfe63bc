#include <windows.h>

#include "platform/terminal.h"

namespace trellisk::platform {

// A console has a console mode; a file or a pipe has none.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace trellisk::platform
