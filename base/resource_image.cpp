#include "base/resource_image.h"

#include <map>

#include "base/little_endian.h"

namespace trellisk {
namespace {

using platform::Resource;
using platform::ResourceName;

constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kImageBase = 0x10000000;
constexpr uint32_t kNewHeaderOffset = 64;
constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kLibraryCharacteristics = 0x210E;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kSubsystemWindowsGui = 2;
constexpr uint32_t kDataDirectoryCount = 16;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kRelocationDirectory = 5;
constexpr uint32_t kResourceSectionFlags = 0x40000040;
constexpr uint32_t kRelocationSectionFlags = 0x42000040;
constexpr uint32_t kOptionalHeaderSize = 96 + 8 * kDataDirectoryCount;
constexpr uint32_t kSubdirectoryBit = 0x80000000;
constexpr uint32_t kNamedEntryBit = 0x80000000;
// More than any module holds; a tree whose entries share subdirectories
// could otherwise name billions.
constexpr size_t kMaxResources = 65536;

uint32_t RoundUp(uint32_t value, uint32_t step) { return (value + step - 1) / step * step; }

// The tree as three levels: type, name, language.
using LanguageLevel = std::vector<const Resource*>;
using NameLevel = std::map<ResourceName, LanguageLevel>;
using TypeLevel = std::map<ResourceName, NameLevel>;

uint32_t DirectorySize(size_t entries) { return 16 + 8 * static_cast<uint32_t>(entries); }

template <typename Level>
void WriteDirectoryHeader(ByteWriter& out, const Level& level) {
  uint16_t named = 0;
  for (const auto& [key, value] : level) named += key.IsNumber() ? 0 : 1;
  out.U32(0);  // characteristics
  out.U32(0);  // time stamp
  out.U16(0);  // major version
  out.U16(0);  // minor version
  out.U16(named);
  out.U16(static_cast<uint16_t>(level.size() - named));
}

// Serialises the tree: every directory, then the data entries, then the
// name strings, then the data.
class TreeWriter {
 public:
  explicit TreeWriter(const TypeLevel& types) : types_(types) { Plan(); }

  std::vector<uint8_t> Write() {
    ByteWriter out;
    WriteDirectoryHeader(out, types_);
    for (const auto& [type, names] : types_) WriteEntry(out, type, kSubdirectoryBit | nameDirectories_[&names]);
    for (const auto& [type, names] : types_) {
      WriteDirectoryHeader(out, names);
      for (const auto& [name, languages] : names) {
        WriteEntry(out, name, kSubdirectoryBit | languageDirectories_[&languages]);
      }
    }
    for (const auto& [type, names] : types_) {
      for (const auto& [name, languages] : names) {
        out.U32(0);
        out.U32(0);
        out.U16(0);
        out.U16(0);
        out.U16(0);
        out.U16(static_cast<uint16_t>(languages.size()));
        for (const Resource* resource : languages) {
          out.U32(resource->language);
          out.U32(dataEntries_[resource]);
        }
      }
    }
    for (const Resource* resource : order_) {
      out.U32(kPageSize + dataOffsets_[resource]);
      out.U32(static_cast<uint32_t>(resource->data.size()));
      out.U32(resource->codePage);
      out.U32(0);
    }
    for (const auto& [name, offset] : strings_) {
      out.PadTo(offset);
      out.U16(static_cast<uint16_t>(name.size()));
      for (const char16_t unit : name) out.U16(unit);
    }
    for (const Resource* resource : order_) {
      out.PadTo(dataOffsets_[resource]);
      out.Bytes(resource->data);
    }
    return std::move(out.bytes());
  }

 private:
  void Plan() {
    uint32_t offset = DirectorySize(types_.size());
    for (const auto& [type, names] : types_) {
      nameDirectories_[&names] = offset;
      offset += DirectorySize(names.size());
      NoteString(type);
    }
    for (const auto& [type, names] : types_) {
      for (const auto& [name, languages] : names) {
        languageDirectories_[&languages] = offset;
        offset += DirectorySize(languages.size());
        NoteString(name);
        order_.insert(order_.end(), languages.begin(), languages.end());
      }
    }
    for (const Resource* resource : order_) {
      dataEntries_[resource] = offset;
      offset += 16;
    }
    for (auto& [name, at] : strings_) {
      at = offset;
      offset = RoundUp(offset + 2 + 2 * static_cast<uint32_t>(name.size()), 2);
    }
    for (const Resource* resource : order_) {
      offset = RoundUp(offset, 8);
      dataOffsets_[resource] = offset;
      offset += static_cast<uint32_t>(resource->data.size());
    }
  }

  void NoteString(const ResourceName& name) {
    if (!name.IsNumber()) strings_.emplace(name.name, 0);
  }

  void WriteEntry(ByteWriter& out, const ResourceName& name, uint32_t target) {
    out.U32(name.IsNumber() ? name.id : kNamedEntryBit | strings_.at(name.name));
    out.U32(target);
  }

  const TypeLevel& types_;
  std::map<const NameLevel*, uint32_t> nameDirectories_;
  std::map<const LanguageLevel*, uint32_t> languageDirectories_;
  std::map<const Resource*, uint32_t> dataEntries_;
  std::map<const Resource*, uint32_t> dataOffsets_;
  std::map<std::u16string, uint32_t> strings_;
  std::vector<const Resource*> order_;
};

void WriteSectionHeader(ByteWriter& out, const char* name, uint32_t virtualSize, uint32_t address,
                        uint32_t rawSize, uint32_t flags) {
  const size_t start = out.size();
  out.Text(name);
  out.PadTo(start + 8);
  out.U32(virtualSize);
  out.U32(address);
  out.U32(rawSize);
  out.U32(address);  // the file offset equals the address
  out.U32(0);
  out.U32(0);
  out.U16(0);
  out.U16(0);
  out.U32(flags);
}

void WriteHeaders(ByteWriter& out, uint32_t treeSize, uint32_t treeSpace) {
  const uint32_t relocationAddress = kPageSize + treeSpace;
  out.Text("MZ");
  out.PadTo(0x3C);
  out.U32(kNewHeaderOffset);
  out.Text(std::string("PE\0\0", 4));
  out.U16(kMachineI386);
  out.U16(2);  // sections
  out.U32(0);  // time stamp
  out.U32(0);  // symbol table
  out.U32(0);  // symbols
  out.U16(static_cast<uint16_t>(kOptionalHeaderSize));
  out.U16(kLibraryCharacteristics);
  out.U16(kPe32Magic);
  out.U8(0);                               // linker version
  out.U8(0);
  out.U32(0);                              // code size
  out.U32(treeSpace + kPageSize);          // initialised data size
  out.U32(0);                              // uninitialised data size
  out.U32(0);                              // entry point
  out.U32(0);                              // base of code
  out.U32(kPageSize);                      // base of data
  out.U32(kImageBase);
  out.U32(kPageSize);                      // section alignment
  out.U32(kPageSize);                      // file alignment
  out.U16(4);                              // operating system version
  out.U16(0);
  out.U16(0);                              // image version
  out.U16(0);
  out.U16(4);                              // subsystem version
  out.U16(0);
  out.U32(0);
  out.U32(treeSpace + 2 * kPageSize);      // image size
  out.U32(kPageSize);                      // headers size
  out.U32(0);                              // checksum
  out.U16(kSubsystemWindowsGui);
  out.U16(0);                              // library characteristics
  out.U32(0x100000);                       // stack reserve
  out.U32(0x1000);                         // stack commit
  out.U32(0x100000);                       // heap reserve
  out.U32(0x1000);                         // heap commit
  out.U32(0);                              // loader flags
  out.U32(kDataDirectoryCount);
  for (uint32_t directory = 0; directory < kDataDirectoryCount; ++directory) {
    out.U32(directory == kResourceDirectory ? kPageSize : directory == kRelocationDirectory ? relocationAddress : 0);
    out.U32(directory == kResourceDirectory ? treeSize : directory == kRelocationDirectory ? 8 : 0);
  }
  WriteSectionHeader(out, ".rsrc", treeSize, kPageSize, treeSpace, kResourceSectionFlags);
  WriteSectionHeader(out, ".reloc", 12, relocationAddress, kPageSize, kRelocationSectionFlags);
  out.PadTo(kPageSize);
}

// Reads the resource tree of an image, mapping addresses to file offsets
// through its sections.
class TreeReader {
 public:
  TreeReader(std::span<const uint8_t> image, const ResourceImage& headers, uint32_t treeOffset, uint32_t treeSize)
      : image_(image), headers_(headers), tree_(image.subspan(treeOffset, treeSize)) {}

  bool Read(std::vector<Resource>& resources) {
    std::vector<ResourceName> path;
    return ReadDirectory(0, path, resources);
  }

 private:
  bool ReadDirectory(uint32_t offset, std::vector<ResourceName>& path, std::vector<Resource>& resources) {
    ByteReader reader(tree_);
    reader.Seek(offset);
    reader.Bytes(12);
    const uint32_t entries = static_cast<uint32_t>(reader.U16()) + reader.U16();
    if (!reader.ok() || !reader.Has(8ull * entries)) return false;
    for (uint32_t i = 0; i < entries; ++i) {
      const uint32_t nameField = reader.U32();
      const uint32_t target = reader.U32();
      ResourceName name;
      if (path.size() < 2 && !ReadName(nameField, name)) return false;
      if (path.size() == 2) name = ResourceName::Number(static_cast<uint16_t>(nameField));
      const bool subdirectory = (target & kSubdirectoryBit) != 0;
      if (subdirectory != (path.size() < 2)) return false;
      path.push_back(name);
      const bool read = subdirectory ? ReadDirectory(target & ~kSubdirectoryBit, path, resources)
                                     : ReadData(target, path, resources);
      path.pop_back();
      if (!read) return false;
    }
    return true;
  }

  bool ReadName(uint32_t field, ResourceName& name) {
    if ((field & kNamedEntryBit) == 0) {
      if (field > 0xFFFF) return false;
      name = ResourceName::Number(static_cast<uint16_t>(field));
      return true;
    }
    ByteReader reader(tree_);
    reader.Seek(field & ~kNamedEntryBit);
    const uint16_t length = reader.U16();
    for (uint16_t i = 0; i < length && reader.ok(); ++i) name.name += static_cast<char16_t>(reader.U16());
    return reader.ok() && !name.name.empty();
  }

  bool ReadData(uint32_t offset, const std::vector<ResourceName>& path, std::vector<Resource>& resources) {
    ByteReader reader(tree_);
    reader.Seek(offset);
    const uint32_t address = reader.U32();
    const uint32_t size = reader.U32();
    const uint32_t codePage = reader.U32();
    if (!reader.ok() || resources.size() >= kMaxResources) return false;
    const auto data = AtAddress(address, size);
    if (!data) return false;
    resources.push_back(Resource{path[0], path[1], path[2].id, std::vector<uint8_t>(data->begin(), data->end()),
                                 codePage});
    return true;
  }

  std::optional<std::span<const uint8_t>> AtAddress(uint32_t address, uint32_t size) const {
    for (const ResourceImageSection& section : headers_.sections) {
      if (address < section.virtualAddress || address - section.virtualAddress >= section.rawSize) continue;
      const uint64_t within = address - section.virtualAddress;
      if (within + size > section.rawSize) return std::nullopt;
      const uint64_t fileOffset = section.rawOffset + within;
      if (fileOffset + size > image_.size()) return std::nullopt;
      return image_.subspan(static_cast<size_t>(fileOffset), size);
    }
    return std::nullopt;
  }

  std::span<const uint8_t> image_;
  const ResourceImage& headers_;
  std::span<const uint8_t> tree_;
};

bool ReadHeaders(ByteReader& reader, ResourceImage& headers) {
  if (reader.U16() != 0x5A4D) return false;  // "MZ"
  reader.Seek(0x3C);
  headers.newHeaderOffset = reader.U32();
  reader.Seek(headers.newHeaderOffset);
  if (reader.U32() != 0x4550) return false;  // "PE\0\0"
  headers.machine = reader.U16();
  const uint16_t sectionCount = reader.U16();
  reader.Bytes(12);
  const uint16_t optionalSize = reader.U16();
  headers.characteristics = reader.U16();
  const size_t optionalStart = reader.position();
  headers.optionalHeaderMagic = reader.U16();
  if (headers.optionalHeaderMagic != kPe32Magic || optionalSize < kOptionalHeaderSize) return false;
  reader.Bytes(26);
  headers.imageBase = reader.U32();
  headers.sectionAlignment = reader.U32();
  headers.fileAlignment = reader.U32();
  reader.Bytes(16);
  headers.imageSize = reader.U32();
  headers.headersSize = reader.U32();
  reader.U32();
  headers.subsystem = reader.U16();
  reader.Bytes(22);
  headers.dataDirectoryCount = reader.U32();
  for (uint32_t directory = 0; directory < std::min<uint32_t>(headers.dataDirectoryCount, 16); ++directory) {
    const uint32_t address = reader.U32();
    const uint32_t size = reader.U32();
    if (directory == kResourceDirectory) headers.resourceDirectoryAddress = address, headers.resourceDirectorySize = size;
    if (directory == kRelocationDirectory) {
      headers.relocationDirectoryAddress = address;
      headers.relocationDirectorySize = size;
    }
  }
  reader.Seek(optionalStart + optionalSize);
  for (uint16_t i = 0; i < sectionCount && reader.ok(); ++i) {
    ResourceImageSection section;
    const auto name = reader.Bytes(8);
    section.name.assign(name.begin(), name.end());
    section.name.erase(section.name.find_last_not_of('\0') + 1);
    section.virtualSize = reader.U32();
    section.virtualAddress = reader.U32();
    section.rawSize = reader.U32();
    section.rawOffset = reader.U32();
    reader.Bytes(12);
    section.characteristics = reader.U32();
    headers.sections.push_back(section);
  }
  return reader.ok();
}

}  // namespace

std::vector<uint8_t> BuildResourceImage(std::vector<Resource> resources) {
  platform::SortResources(resources);
  TypeLevel types;
  for (const Resource& resource : resources) types[resource.type][resource.name].push_back(&resource);
  const std::vector<uint8_t> tree = TreeWriter(types).Write();
  const auto treeSize = static_cast<uint32_t>(tree.size());
  const uint32_t treeSpace = RoundUp(treeSize, kPageSize);
  ByteWriter image;
  WriteHeaders(image, treeSize, treeSpace);
  image.Bytes(tree);
  image.PadTo(kPageSize + treeSpace);
  image.U32(0);  // the relocation block's page
  image.U32(8);  // and its size: a block without entries
  image.PadTo(2 * kPageSize + treeSpace);
  return std::move(image.bytes());
}

std::optional<ResourceImage> ReadResourceImage(std::span<const uint8_t> image) {
  ResourceImage headers;
  ByteReader reader(image);
  if (!ReadHeaders(reader, headers)) return std::nullopt;
  if (headers.resourceDirectoryAddress == 0) return headers;
  for (const ResourceImageSection& section : headers.sections) {
    const uint32_t address = headers.resourceDirectoryAddress;
    if (address < section.virtualAddress || address - section.virtualAddress >= section.rawSize) continue;
    const uint64_t offset = section.rawOffset + (address - section.virtualAddress);
    const uint64_t room = section.rawSize - (address - section.virtualAddress);
    if (offset + room > image.size()) return std::nullopt;
    TreeReader tree(image, headers, static_cast<uint32_t>(offset), static_cast<uint32_t>(room));
    if (!tree.Read(headers.resources)) return std::nullopt;
    return headers;
  }
  return std::nullopt;
}

}  // namespace trellisk
