// ZeroedBlock: a block of memory that starts as zero bytes, taken straight
// from the OS's page allocator (mmap, VirtualAlloc). For tables sized ahead
// of what they hold: pages never touched cost neither memory nor a page
// fault, nothing has to be cleared, and on Linux a block grows in place or
// by remapping its pages rather than by copying them.
//
// A block can also start as part of a file (FromFile): on Linux the file's
// pages are then mapped privately instead of copied, so a large table image
// costs only what is read of it, and writes stay in the block.
//
// A block belongs to one owner, who guards it; blocks are movable, not
// copyable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace trellisk::platform {

class ZeroedBlock {
 public:
  ZeroedBlock() = default;
  // An empty block when the memory cannot be had (or bytes is 0).
  static ZeroedBlock Allocate(size_t bytes);
  // File offsets given to FromFile are multiples of this.
  static constexpr uint64_t kFileOffsetAlignment = 65536;
  // A block of `blockBytes` whose first `fileBytes` (at most blockBytes) are
  // the bytes of the file at `path` from `offset`, the rest zero; writes to
  // it never reach the file. Empty when the file is shorter, cannot be read,
  // or the offset is not aligned. The file must not be cut short while the
  // block lives (files written by replacing them whole never are).
  static ZeroedBlock FromFile(const std::string& path, uint64_t offset, size_t fileBytes, size_t blockBytes);
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
