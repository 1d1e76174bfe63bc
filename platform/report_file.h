// Report files: a test host or a test names a file in an environment
// variable, and the plug-in appends one line to it for each event the host
// should learn of besides the log (message boxes in TRELLISK_MESSAGE_BOXES,
// host notices in TRELLISK_HOST_REPORT). Thread-safe: the appends of all
// threads are serialised.
#pragma once

#include <string>

namespace trellisk::platform {

// Appends `line` and a line feed to the file that the variable names;
// false when the variable is not set or empty, or the write failed.
bool AppendToReportFile(const char* variable, const std::string& line);

}  // namespace trellisk::platform
