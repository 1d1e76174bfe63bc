// Paths as text: the pieces of a file path the plug-in takes apart itself,
// accepting both "\" and "/" as separators whatever the platform.
// Pure functions, thread-safe.
#pragma once

#include <string_view>

namespace trellisk {

// The directory part of a path: up to and including its last "\" or "/";
// empty when it has none.
inline std::string_view DirectoryOf(std::string_view path) {
  const size_t separator = path.find_last_of("\\/");
  if (separator == std::string_view::npos) return {};
  return path.substr(0, separator + 1);
}

}  // namespace trellisk
