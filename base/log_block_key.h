// LogBlockKey names the log block of one message (see Log::AddToBlock): the
// core uses the host's message handle, and the layers below it pass the key
// through without knowing what it is. A plain value; thread-safe.
#pragma once

#include <cstdint>

namespace trellisk {

using LogBlockKey = uint32_t;

}  // namespace trellisk
