// The mbox postmark: the line "From sender date" that starts every message
// of an mbox file and that a delivery agent may put in front of a message
// it pipes on. Pure functions; thread-safe.
#pragma once

#include <string_view>

namespace trellisk::host {

// "From ", the envelope sender, then a date that starts with a weekday and
// a month ("From a@b Thu Aug 22 13:17:22 2002").
bool IsPostmark(std::string_view line);

// The message without a leading postmark line.
std::string_view WithoutPostmark(std::string_view message);

}  // namespace trellisk::host
