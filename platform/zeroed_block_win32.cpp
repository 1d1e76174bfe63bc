#include <windows.h>

#include <cstring>
#include <utility>

#include "platform/zeroed_block.h"

namespace trellisk::platform {

ZeroedBlock ZeroedBlock::Allocate(size_t bytes) {
  if (bytes == 0) return {};
  void* data = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  return data ? ZeroedBlock(data, bytes) : ZeroedBlock();
}

void ZeroedBlock::Release() {
  if (data_) ::VirtualFree(data_, 0, MEM_RELEASE);
  data_ = nullptr;
  size_ = 0;
}

bool ZeroedBlock::Grow(size_t bytes) {
  if (bytes <= size_) return true;
  ZeroedBlock grown = Allocate(bytes);
  if (!grown) return false;
  if (data_) std::memcpy(grown.data_, data_, size_);
  *this = std::move(grown);
  return true;
}

}  // namespace trellisk::platform
