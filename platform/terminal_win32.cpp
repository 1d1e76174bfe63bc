#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/terminal.h"

namespace trellisk::platform {

// A console has a console mode; a file or a pipe has none.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace trellisk::platform
