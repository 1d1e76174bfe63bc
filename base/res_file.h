// ReadResFile reads a binary resource file, the form in which the resource
// compiler writes a compiled resource script: a list of entries, each a
// header (sizes, type, name, flags, language) and its data. The Linux build
// carries the plug-in's own resources in this form. Thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/resource.h"

namespace trellisk {

// The resources in directory order, or nothing when the file is malformed.
std::optional<std::vector<platform::Resource>> ReadResFile(std::span<const uint8_t> file);

}  // namespace trellisk
