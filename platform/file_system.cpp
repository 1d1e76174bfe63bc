#include "platform/file_system.h"

#include <algorithm>

namespace trellisk::platform {
namespace {

bool Skip(ReadableFile& file, uint64_t bytes) {
  char buffer[65536];
  for (uint64_t left = bytes; left > 0;) {
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, sizeof buffer));
    if (!ReadExactly(file, buffer, chunk)) return false;
    left -= chunk;
  }
  return true;
}

}  // namespace

bool ReadExactly(ReadableFile& file, char* into, size_t size) {
  for (size_t done = 0; done < size;) {
    const size_t count = file.Read(into + done, size - done);
    if (count == 0) return false;
    done += count;
  }
  return true;
}

ZeroedBlock FileSystem::ReadBlock(const std::string& path, uint64_t offset, size_t fileBytes, size_t blockBytes) {
  if (fileBytes > blockBytes || offset % ZeroedBlock::kFileOffsetAlignment != 0) return {};
  ZeroedBlock block = ZeroedBlock::Allocate(blockBytes);
  if (!block || fileBytes == 0) return block;
  const std::unique_ptr<ReadableFile> file = OpenForReading(path);
  if (!file || !Skip(*file, offset) || !ReadExactly(*file, block.as<char>(), fileBytes)) return {};
  return block;
}

}  // namespace trellisk::platform
