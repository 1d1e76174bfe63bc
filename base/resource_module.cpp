#include "base/resource_module.h"

#include "base/resource_image.h"
#include "base/string_table.h"
#include "platform/code_page.h"

namespace trellisk {
namespace {

// The text cut to the loader's limit without splitting a UTF-8 character.
std::string CutToLimit(std::string text) {
  if (text.size() <= TextSource::kMaxTextLength) return text;
  size_t end = TextSource::kMaxTextLength;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

std::unique_ptr<ImageResourceModule> ImageResourceModule::Open(const std::vector<uint8_t>& image) {
  auto read = ReadResourceImage(image);
  if (!read) return nullptr;
  return std::unique_ptr<ImageResourceModule>(new ImageResourceModule(std::move(read->resources)));
}

ImageResourceModule::ImageResourceModule(std::vector<platform::Resource> resources)
    : resources_(std::move(resources)) {
  for (const platform::Resource& resource : resources_) {
    if (resource.type != platform::ResourceName::Number(platform::kResourceTypeString) || !resource.name.IsNumber()) {
      continue;
    }
    const auto block = DecodeStringBlock(resource.data);
    if (!block) continue;
    for (size_t i = 0; i < block->size(); ++i) {
      const int id = FirstStringOfBlock(resource.name.id) + static_cast<int>(i);
      if (!(*block)[i].empty()) texts_.emplace(id, CutToLimit(platform::Utf16ToUtf8((*block)[i])));
    }
  }
}

std::string ImageResourceModule::Load(int id) const {
  const auto found = texts_.find(id);
  return found == texts_.end() ? std::string() : found->second;
}

std::optional<std::vector<uint8_t>> ImageResourceModule::DialogTemplate(int id) const {
  for (const platform::Resource& resource : resources_) {
    if (resource.type == platform::ResourceName::Number(platform::kResourceTypeDialog) &&
        resource.name == platform::ResourceName::Number(static_cast<uint16_t>(id))) {
      return resource.data;
    }
  }
  return std::nullopt;
}

}  // namespace trellisk
