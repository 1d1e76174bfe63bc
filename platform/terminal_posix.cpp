#include <unistd.h>

#include "platform/terminal.h"

namespace trellisk::platform {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace trellisk::platform
