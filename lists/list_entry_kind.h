// ListEntryKind says which list an entry belongs to and how it matches,
// with the numbers the list store keeps in its table.
#pragma once

#include <cstdint>

namespace trellisk {

enum ListEntryKind : uint32_t {
  kBlackText = 3,    // black list, plain text
  kWhiteText = 4,    // white list, plain text
  kBlackRegExp = 5,  // black list, regular expression
  kWhiteRegExp = 6,  // white list, regular expression
};

}  // namespace trellisk
