// Dotted-quad addresses in DNS blacklist names. A blacklist is asked about
// an address a.b.c.d by resolving the name d.c.b.a.<zone>; ReverseIP makes
// the d.c.b.a part from a relay address as the mail parser found it, and
// StartsWithDottedQuad is the plausibility check such a name must pass
// before it is sent to the resolver.
//
// Pure functions, thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace trellisk {

// The first four dot-separated groups of one to three digits found anywhere
// in `address` (leftmost match, each group as long as it can be), in reverse
// order joined by "."; "" when there are none, and "" for addresses that
// begin with "127" or "192.168" (loopback and private relays are never
// looked up). The groups are not checked against 255 here.
std::string ReverseIP(std::string_view address);

// Whether `name` begins with four decimal numbers of one to three digits,
// each at most 255, separated by dots, and the fourth is followed by the end
// of the name or a dot.
bool StartsWithDottedQuad(std::string_view name);

}  // namespace trellisk
