// ListSelection chooses which of the sender lists a load or save works on,
// with the numbers the callers pass.
#pragma once

#include <cstdint>

namespace trellisk {

enum ListSelection : uint32_t {
  kBlacklist = 1,
  kWhitelist = 2,
  kBothLists = 3,
};

}  // namespace trellisk
