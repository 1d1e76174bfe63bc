// The test host's standard streams: whether standard error is a terminal
// (the host shows a progress bar only there), and reading and writing
// standard input and output as bytes, with no line-end translation (the
// mail filter passes messages through unchanged). Thread-safe.
#pragma once

namespace trellisk::platform {

bool StandardErrorIsTerminal();
void UseBinaryStandardStreams();

}  // namespace trellisk::platform
