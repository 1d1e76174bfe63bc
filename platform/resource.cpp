#include "platform/resource.h"

#include <algorithm>
#include <tuple>

namespace trellisk::platform {

std::strong_ordering ResourceName::operator<=>(const ResourceName& other) const {
  if (IsNumber() != other.IsNumber()) return IsNumber() ? std::strong_ordering::greater : std::strong_ordering::less;
  if (IsNumber()) return id <=> other.id;
  return name <=> other.name;
}

void SortResources(std::vector<Resource>& resources) {
  std::stable_sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
    return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
  });
}

}  // namespace trellisk::platform
