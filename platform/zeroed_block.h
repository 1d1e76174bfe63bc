// ZeroedBlock: a block of memory that starts as zero bytes, taken straight
// from the OS's page allocator (mmap, VirtualAlloc). For tables sized ahead
// of what they hold: pages never touched cost neither memory nor a page
// fault, nothing has to be cleared, and on Linux a block grows in place or
// by remapping its pages rather than by copying them.
//
// A block belongs to one owner, who guards it; blocks are movable, not
// copyable.
#pragma once

#include <cstddef>

namespace trellisk::platform {

class ZeroedBlock {
 public:
  ZeroedBlock() = default;
  // An empty block when the memory cannot be had (or bytes is 0).
  static ZeroedBlock Allocate(size_t bytes);
  ZeroedBlock(ZeroedBlock&& other) noexcept;
  ZeroedBlock& operator=(ZeroedBlock&& other) noexcept;
  ZeroedBlock(const ZeroedBlock&) = delete;
  ZeroedBlock& operator=(const ZeroedBlock&) = delete;
  ~ZeroedBlock();

  // Grows the block, keeping its bytes; the new ones are zero. False, with
  // the block as it was, when the memory cannot be had.
  bool Grow(size_t bytes);

  template <typename T>
  T* as() const {
    return static_cast<T*>(data_);
  }
  size_t size() const { return size_; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  ZeroedBlock(void* data, size_t size) : data_(data), size_(size) {}
  void Release();

  void* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace trellisk::platform
