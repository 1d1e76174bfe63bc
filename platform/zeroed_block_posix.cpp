#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <utility>

#include "platform/zeroed_block.h"

namespace trellisk::platform {
namespace {

// The bytes of the whole pages that hold `bytes`: what a mapping really has.
size_t PageBytes(size_t bytes) {
  static const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

}  // namespace

ZeroedBlock ZeroedBlock::Allocate(size_t bytes) {
  if (bytes == 0) return {};
  void* data = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return data == MAP_FAILED ? ZeroedBlock() : ZeroedBlock(data, bytes);
}

void ZeroedBlock::Release() {
  if (data_) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

bool ZeroedBlock::Grow(size_t bytes) {
  if (bytes <= size_) return true;
  if (data_ && PageBytes(bytes) == PageBytes(size_)) {
    size_ = bytes;
    return true;
  }
  if (!data_) {
    *this = Allocate(bytes);
    return data_ != nullptr;
  }
#if defined(__linux__)
  void* grown = ::mremap(data_, size_, bytes, MREMAP_MAYMOVE);
  if (grown == MAP_FAILED) return false;
  data_ = grown;
  size_ = bytes;
#else
  ZeroedBlock grown = Allocate(bytes);
  if (!grown) return false;
  std::memcpy(grown.data_, data_, size_);
  *this = std::move(grown);
#endif
  return true;
}

}  // namespace trellisk::platform
