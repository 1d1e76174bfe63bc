// On Windows the system loads and reads every module: the plug-in's own,
// and each translated image, mapped by platform::MappedResourceImage.
#include "base/resource_module.h"
#include "platform/module_resources.h"

namespace trellisk {
namespace {

class SystemResourceModule final : public ResourceModule {
 public:
  SystemResourceModule(platform::ModuleHandle handle, std::unique_ptr<platform::MappedResourceImage> image)
      : handle_(handle), image_(std::move(image)) {}

  std::string Load(int id) const override { return platform::LoadModuleString(handle_, id, kMaxTextLength + 1); }
  std::vector<platform::Resource> Resources() const override { return platform::ModuleResources(handle_); }
  std::optional<std::vector<uint8_t>> DialogTemplate(int id) const override {
    for (platform::Resource& resource : Resources()) {
      if (resource.type == platform::ResourceName::Number(platform::kResourceTypeDialog) &&
          resource.name == platform::ResourceName::Number(static_cast<uint16_t>(id))) {
        return std::move(resource.data);
      }
    }
    return std::nullopt;
  }
  void* systemHandle() const override { return handle_; }

 private:
  platform::ModuleHandle handle_;
  std::unique_ptr<platform::MappedResourceImage> image_;
};

}  // namespace

const ResourceModule& OwnResourceModule() {
  static const SystemResourceModule own(platform::OwnModuleHandle(), nullptr);
  return own;
}

std::unique_ptr<ResourceModule> LoadResourceImage(const std::vector<uint8_t>& image,
                                                  const std::string& fallbackFolder) {
  auto mapped = platform::MappedResourceImage::Map(image, fallbackFolder);
  if (!mapped) return nullptr;
  const platform::ModuleHandle handle = mapped->handle();
  return std::make_unique<SystemResourceModule>(handle, std::move(mapped));
}

}  // namespace trellisk
