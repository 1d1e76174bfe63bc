// The log's timestamp: the current date in the user's locale with the picture
// "ddd',' MMM dd yyyy", then ", ", then the time "HH':'mm':'ss" (24-hour, no
// time marker), then ", " -- for example "Tue, Dec 08 2026, 18:19:58, ".
// Thread-safe.
#pragma once

#include <string>

namespace trellisk::platform {

std::string LocaleTimestamp();

}  // namespace trellisk::platform
