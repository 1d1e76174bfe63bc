#include "plugin/text_copy.h"

#include <algorithm>
#include <cstring>

namespace trellisk {

int CopyTextForHost(std::string_view text, char* buffer, int size) {
  const int length = static_cast<int>(text.size());
  if (buffer == nullptr || size < 0) return length;
  if (length == 0) return 0;
  const int copied = std::min(size, length);
  std::memcpy(buffer, text.data(), static_cast<size_t>(copied));
  return copied;
}

}  // namespace trellisk
