// Whether standard error is a terminal (the test host shows a progress bar
// only there). Thread-safe.
#pragma once

namespace trellisk::platform {

bool StandardErrorIsTerminal();

}  // namespace trellisk::platform
