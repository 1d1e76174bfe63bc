#include <windows.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/zeroed_block.h"

namespace trellisk::platform {

ZeroedBlock ZeroedBlock::Allocate(size_t bytes) {
  if (bytes == 0) return {};
  void* data = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  return data ? ZeroedBlock(data, bytes) : ZeroedBlock();
}

ZeroedBlock ZeroedBlock::FromFile(const std::string& path, uint64_t offset, size_t fileBytes, size_t blockBytes) {
  if (fileBytes > blockBytes || offset % kFileOffsetAlignment != 0) return {};
  ZeroedBlock block = Allocate(blockBytes);
  if (!block || fileBytes == 0) return block;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER start;
  start.QuadPart = static_cast<LONGLONG>(offset);
  bool read = SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != 0;
  for (size_t done = 0; read && done < fileBytes;) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(fileBytes - done, 1u << 30));
    DWORD count = 0;
    read = ReadFile(file, block.as<char>() + done, chunk, &count, nullptr) != 0 && count > 0;
    done += count;
  }
  CloseHandle(file);
  return read ? std::move(block) : ZeroedBlock();
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
