// Without a system resource loader, the own module is the library image
// built from the resource file the build carries, and every module is read
// by ImageResourceModule.
#include <cstdlib>
#include <span>

#include "base/own_resource_file.h"
#include "base/res_file.h"
#include "base/resource_image.h"
#include "base/resource_module.h"

namespace trellisk {
namespace {

std::unique_ptr<ImageResourceModule> BuildOwnModule() {
  const auto resources = ReadResFile(std::span(kOwnResourceFile, kOwnResourceFileSize));
  if (!resources) std::abort();  // the build wrote a resource file it cannot read
  auto module = ImageResourceModule::Open(BuildResourceImage(*resources));
  if (!module) std::abort();
  return module;
}

}  // namespace

const ResourceModule& OwnResourceModule() {
  static const std::unique_ptr<ImageResourceModule> own = BuildOwnModule();
  return *own;
}

std::unique_ptr<ResourceModule> LoadResourceImage(const std::vector<uint8_t>& image, const std::string&) {
  return ImageResourceModule::Open(image);
}

}  // namespace trellisk
