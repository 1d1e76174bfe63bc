// ResourceModule is a module's resources as the plug-in uses them: its
// numbered texts (a TextSource), its dialog templates and, for translating
// it, the list of all its resources. The plug-in's own module and a
// translated copy are two modules of this kind. On Windows the system
// loads and reads them; elsewhere ImageResourceModule reads the library
// image itself. Immutable after construction; thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/text_source.h"
#include "platform/resource.h"

namespace trellisk {

class ResourceModule : public TextSource {
 public:
  // Every resource, in directory order.
  virtual std::vector<platform::Resource> Resources() const = 0;
  // The bytes of dialog template `id`, or nothing.
  virtual std::optional<std::vector<uint8_t>> DialogTemplate(int id) const = 0;
  // The module handle where the system loaded the module; else null.
  virtual void* systemHandle() const { return nullptr; }
};

// A module read from a resource-only library image. Its texts come back in
// UTF-8.
class ImageResourceModule final : public ResourceModule {
 public:
  // Null when the image is not one.
  static std::unique_ptr<ImageResourceModule> Open(const std::vector<uint8_t>& image);

  std::string Load(int id) const override;
  std::vector<platform::Resource> Resources() const override { return resources_; }
  std::optional<std::vector<uint8_t>> DialogTemplate(int id) const override;

 private:
  explicit ImageResourceModule(std::vector<platform::Resource> resources);
  std::vector<platform::Resource> resources_;
  std::map<int, std::string> texts_;
};

// The plug-in's own module; lives for the whole process.
const ResourceModule& OwnResourceModule();

// Makes a built image a module: loaded by the system on Windows (see
// platform::MappedResourceImage, `fallbackFolder` included), read by
// ImageResourceModule elsewhere. Null when that fails.
std::unique_ptr<ResourceModule> LoadResourceImage(const std::vector<uint8_t>& image,
                                                  const std::string& fallbackFolder);

}  // namespace trellisk
