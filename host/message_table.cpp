#include "host/message_table.h"

#include <algorithm>
#include <cstring>

namespace trellisk::host {

MessageTable& MessageTable::Instance() {
  static MessageTable table;
  return table;
}

MessageHandle MessageTable::Add(std::shared_ptr<const std::string> bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  MessageHandle handle = nextHandle_++;
  if (handle == 0) handle = nextHandle_++;  // 0 is never a message
  messages_.emplace(handle, std::move(bytes));
  return handle;
}

void MessageTable::Remove(MessageHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  messages_.erase(handle);
}

std::shared_ptr<const std::string> MessageTable::Find(MessageHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = messages_.find(handle);
  return found == messages_.end() ? nullptr : found->second;
}

int TBP_CALL MessageTable::ReadProperty(MessageHandle message, int property, char* buffer, int size) {
  if (property != TBP_PROPERTY_RAW_MESSAGE) return 0;
  const std::shared_ptr<const std::string> bytes = Instance().Find(message);
  if (!bytes) return 0;
  const int length = static_cast<int>(std::min<size_t>(bytes->size(), INT32_MAX));
  if (buffer == nullptr) return length;
  const int copied = std::clamp(size, 0, length);
  std::memcpy(buffer, bytes->data(), static_cast<size_t>(copied));
  return copied;
}

}  // namespace trellisk::host
