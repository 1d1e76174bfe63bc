#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

ZeroedBlock ZeroedBlock::FromFile(const std::string& path, uint64_t offset, size_t fileBytes, size_t blockBytes) {
  if (fileBytes > blockBytes || offset % kFileOffsetAlignment != 0) return {};
  ZeroedBlock block = Allocate(blockBytes);
  if (!block || fileBytes == 0) return block;
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return {};
  struct stat info;
  const bool longEnough = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
                          static_cast<uint64_t>(info.st_size) >= offset + fileBytes;
  // The file's pages replace the first pages of the zeroed block. The last
  // of them reads as zeros past the end of the file; the pages after it stay
  // the block's own.
  void* mapped = longEnough ? ::mmap(block.data_, fileBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED,
                                     descriptor, static_cast<off_t>(offset))
                            : MAP_FAILED;
  ::close(descriptor);
  if (mapped == MAP_FAILED) return {};
  // Whatever the file holds after those bytes in their last page is not the
  // block's.
  const size_t mappedEnd = std::min(PageBytes(fileBytes), blockBytes);
  if (mappedEnd > fileBytes) std::memset(block.as<char>() + fileBytes, 0, mappedEnd - fileBytes);
  return block;
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
  // A block made FromFile is two mappings, which mremap refuses; it is
  // copied instead.
  void* grown = ::mremap(data_, size_, bytes, MREMAP_MAYMOVE);
  if (grown != MAP_FAILED) {
    data_ = grown;
    size_ = bytes;
    return true;
  }
#endif
  ZeroedBlock copy = Allocate(bytes);
  if (!copy) return false;
  std::memcpy(copy.data_, data_, size_);
  *this = std::move(copy);
  return true;
}

}  // namespace trellisk::platform
