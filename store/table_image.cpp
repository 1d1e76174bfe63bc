#include "store/table_image.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "store/content_hash.h"

namespace trellisk {
namespace {

constexpr char kMagic[8] = {'T', 'R', 'L', 'K', 'T', 'B', 'L', '1'};
constexpr uint32_t kByteOrderMark = 0x01020304;
constexpr uint32_t kVersion = 1;

// The fixed part before the slots.
struct ImageHeader {
  char magic[8];
  uint32_t byteOrderMark;
  uint32_t version;
  uint64_t textBytes;
  uint64_t textHash;
  TableImageWords words;
  CountedStringTable::RawState state;
  uint32_t zero;
  uint64_t imageHash;
};
static_assert(sizeof(ImageHeader) == 8 + 8 + 16 + 16 + 28 + 4 + 8, "no padding");

constexpr uint64_t kAlignment = platform::ZeroedBlock::kFileOffsetAlignment;
constexpr uint64_t kSlotsOffset = kAlignment;

uint64_t SlotBytes(const CountedStringTable::RawState& state) {
  return uint64_t{state.slotCount} * CountedStringTable::kRawSlotBytes;
}

uint64_t PoolOffset(const CountedStringTable::RawState& state) {
  return (kSlotsOffset + SlotBytes(state) + kAlignment - 1) / kAlignment * kAlignment;
}

std::string_view BytesOf(const void* data, size_t size) { return {static_cast<const char*>(data), size}; }

uint64_t ImageHash(ImageHeader header, std::string_view slots, std::string_view pool) {
  header.imageHash = 0;
  ContentHash hash;
  hash.Add(BytesOf(&header, sizeof header));
  hash.Add(slots);
  hash.Add(pool);
  return hash.Value();
}

bool AppendZeros(platform::WritableFile& file, uint64_t count) {
  static const std::string zeros(kAlignment, '\0');
  for (uint64_t left = count; left > 0;) {
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(left, zeros.size()));
    if (!file.Append(std::string_view(zeros).substr(0, chunk))) return false;
    left -= chunk;
  }
  return true;
}

bool WriteImageFile(platform::WritableFile& file, const ImageHeader& header, const CountedStringTable& table) {
  const std::string_view slots = table.RawSlots();
  return file.Append(BytesOf(&header, sizeof header)) && AppendZeros(file, kSlotsOffset - sizeof header) &&
         file.Append(slots) && AppendZeros(file, PoolOffset(header.state) - kSlotsOffset - slots.size()) &&
         file.Append(table.RawPool()) && file.Close();
}

bool HeaderFits(const ImageHeader& header, const TextFileTag& text) {
  return std::memcmp(header.magic, kMagic, sizeof kMagic) == 0 && header.byteOrderMark == kByteOrderMark &&
         header.version == kVersion && TextFileTag{header.textBytes, header.textHash} == text &&
         header.state.slotCount > 0 && header.state.poolUsed <= header.state.poolSize;
}

bool ReadHeader(platform::FileSystem& files, const std::string& imagePath, ImageHeader& header) {
  const std::unique_ptr<platform::ReadableFile> file = files.OpenForReading(imagePath);
  return file && platform::ReadExactly(*file, reinterpret_cast<char*>(&header), sizeof header);
}

}  // namespace

std::string TableImagePath(const std::string& textPath) { return textPath + ".image"; }

bool WriteTableImage(platform::FileSystem& files, const std::string& imagePath, const TextFileTag& text,
                     const TableImageWords& words, const CountedStringTable& table) {
  ImageHeader header;
  std::memset(static_cast<void*>(&header), 0, sizeof header);
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  header.byteOrderMark = kByteOrderMark;
  header.version = kVersion;
  header.textBytes = text.bytes;
  header.textHash = text.hash;
  header.words = words;
  header.state = table.raw();
  header.imageHash = ImageHash(header, table.RawSlots(), table.RawPool());
  const std::string newPath = imagePath + "-new";
  const std::unique_ptr<platform::WritableFile> file = files.OpenForWriting(newPath);
  // The image is a cache that its hash vouches for: neither its bytes nor
  // its name need to reach the disk before the store goes on.
  if (file && WriteImageFile(*file, header, table) && files.ReplaceUncommitted(newPath, imagePath)) return true;
  files.Remove(newPath);
  // An old image still there belongs to an older text: it would only be
  // found not to match, but it need not stay.
  files.Remove(imagePath);
  return false;
}

bool ReadTableImage(platform::FileSystem& files, const std::string& imagePath, const TextFileTag& text,
                    TableImageWords& words, CountedStringTable& table) {
  ImageHeader header;
  if (!ReadHeader(files, imagePath, header) || !HeaderFits(header, text)) return false;
  const CountedStringTable::RawState& state = header.state;
  const size_t slotBytes = static_cast<size_t>(SlotBytes(state));
  platform::ZeroedBlock slots = files.ReadBlock(imagePath, kSlotsOffset, slotBytes, slotBytes);
  platform::ZeroedBlock pool = files.ReadBlock(imagePath, PoolOffset(state), state.poolUsed, state.poolSize);
  if (!slots || !pool) return false;
  const std::string_view slotView(slots.as<const char>(), slotBytes);
  const std::string_view poolView(pool.as<const char>(), state.poolUsed);
  if (ImageHash(header, slotView, poolView) != header.imageHash) return false;
  if (!table.Adopt(state, std::move(slots), std::move(pool))) return false;
  words = header.words;
  return true;
}

}  // namespace trellisk
