// The filter's edit of a message: the two verdict header fields added at
// the end of its header, an earlier pair removed, every other byte kept as
// it was. A pure function; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace trellisk::host {

inline constexpr std::string_view kScoreField = "X-Trellisk-Score";
inline constexpr std::string_view kStatusField = "X-Trellisk-Status";

// `message` with "X-Trellisk-Score: <score>" and "X-Trellisk-Status:
// Spam|Ham" as the last fields of its header, in the line ends its header
// uses. Fields of those names already in the header (with their
// continuation lines) are dropped. A message without an empty line after
// its header is all header: the fields go at its end.
std::string WithVerdictHeaders(std::string_view message, int score, bool spam);

}  // namespace trellisk::host
