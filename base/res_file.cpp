#include "base/res_file.h"

#include "base/little_endian.h"

namespace trellisk {
namespace {

platform::ResourceName ReadName(ByteReader& reader) {
  ByteReader probe = reader;
  if (probe.U16() == 0xFFFF) {
    reader.U16();
    return platform::ResourceName::Number(reader.U16());
  }
  return platform::ResourceName{0, reader.Utf16z()};
}

}  // namespace

std::optional<std::vector<platform::Resource>> ReadResFile(std::span<const uint8_t> file) {
  std::vector<platform::Resource> resources;
  ByteReader reader(file);
  while (!reader.AtEnd()) {
    const size_t start = reader.position();
    const uint32_t dataSize = reader.U32();
    const uint32_t headerSize = reader.U32();
    platform::Resource resource;
    resource.type = ReadName(reader);
    resource.name = ReadName(reader);
    reader.Align(4);
    reader.U32();  // data version
    reader.U16();  // memory flags
    resource.language = reader.U16();
    reader.U32();  // version
    reader.U32();  // characteristics
    if (!reader.ok() || headerSize < 32 || reader.position() - start > headerSize) return std::nullopt;
    reader.Seek(start + headerSize);
    const auto data = reader.Bytes(dataSize);
    reader.Align(4);
    if (!reader.ok()) return std::nullopt;
    // The file begins with an empty entry of type 0 that marks the format.
    if (dataSize == 0 && resource.type == platform::ResourceName::Number(0)) continue;
    resource.data.assign(data.begin(), data.end());
    resources.push_back(std::move(resource));
  }
  platform::SortResources(resources);
  return resources;
}

}  // namespace trellisk
