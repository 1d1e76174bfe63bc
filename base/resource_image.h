// A resource-only library image: a PE/COFF library for i386 whose only
// content is a resource tree. BuildResourceImage makes one from a list of
// resources, laid out as the language switch needs it (image base
// 0x10000000, 4096-byte sections, a ".rsrc" section with the tree and a
// ".reloc" section with one empty block); ReadResourceImage parses any such
// image back, its header fields and every resource, checking every offset
// against the image. On Windows the system loads the image as a module;
// elsewhere the plug-in reads it with ReadResourceImage. Thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/resource.h"

namespace trellisk {

struct ResourceImageSection {
  std::string name;
  uint32_t virtualSize = 0;
  uint32_t virtualAddress = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;
  uint32_t characteristics = 0;
};

struct ResourceImage {
  uint32_t newHeaderOffset = 0;
  uint16_t machine = 0;
  uint16_t characteristics = 0;
  uint16_t optionalHeaderMagic = 0;
  uint32_t imageBase = 0;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t imageSize = 0;
  uint32_t headersSize = 0;
  uint16_t subsystem = 0;
  uint32_t dataDirectoryCount = 0;
  uint32_t resourceDirectoryAddress = 0;
  uint32_t resourceDirectorySize = 0;
  uint32_t relocationDirectoryAddress = 0;
  uint32_t relocationDirectorySize = 0;
  std::vector<ResourceImageSection> sections;
  std::vector<platform::Resource> resources;
};

// The image of a library holding exactly these resources.
std::vector<uint8_t> BuildResourceImage(std::vector<platform::Resource> resources);

// The image's headers and resources; nothing when it is not a PE image or
// its resource tree reaches outside the image.
std::optional<ResourceImage> ReadResourceImage(std::span<const uint8_t> image);

}  // namespace trellisk
