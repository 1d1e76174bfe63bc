// Resource is one resource of a module, as the system's resource loader sees
// it: a type and a name (each a number or a UTF-16 name), a language and the
// bytes. The plug-in's own module, a translated copy of it and the files
// that carry resources are all lists of these. A plain value; thread-safe as
// any value.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

namespace trellisk::platform {

// A resource type or name: a number, or a name when `name` is not empty.
struct ResourceName {
  uint16_t id = 0;
  std::u16string name;

  static ResourceName Number(uint16_t id) { return ResourceName{id, {}}; }
  bool IsNumber() const { return name.empty(); }
  // The order of a resource directory: names (by their UTF-16 units)
  // before numbers (ascending).
  std::strong_ordering operator<=>(const ResourceName& other) const;
  bool operator==(const ResourceName& other) const = default;
};

inline constexpr uint16_t kResourceTypeDialog = 5;
inline constexpr uint16_t kResourceTypeString = 6;

struct Resource {
  ResourceName type;
  ResourceName name;
  uint16_t language = 0;
  std::vector<uint8_t> data;
  // The code page the resource entry names for its data (0 for most).
  uint32_t codePage = 0;

  bool operator==(const Resource& other) const = default;
};

// Puts resources into directory order: type, name, language.
void SortResources(std::vector<Resource>& resources);

}  // namespace trellisk::platform
