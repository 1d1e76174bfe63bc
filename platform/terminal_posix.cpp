#include <unistd.h>

#include "platform/terminal.h"

namespace trellisk::platform {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

// POSIX streams never translate line ends.
void UseBinaryStandardStreams() {}

}  // namespace trellisk::platform
