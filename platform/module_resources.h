// The resources of loaded modules, through the system's resource loader:
// the plug-in's own module, and resource-only library images that the
// plug-in builds in memory (MappedResourceImage) and uses as modules. Windows
// only. Thread-safe; a MappedResourceImage must outlive every use of its
// handle.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/resource.h"

namespace trellisk::platform {

using ModuleHandle = void*;

// The plug-in's own module (see win32_module.h).
ModuleHandle OwnModuleHandle();

// Every resource of the module, in directory order.
std::vector<Resource> ModuleResources(ModuleHandle module);

// String `id` of the module in the system's 8-bit code page, read into a
// buffer of `bufferBytes` bytes; empty for an unknown id.
std::string LoadModuleString(ModuleHandle module, int id, size_t bufferBytes);

class MappedResourceImage {
 public:
  // Makes the image a module. On Windows NT it stays in memory, read-only,
  // and its base address is the module handle; on the Windows 95 family (or
  // when the version cannot be told) it is written to "language.dll" in the
  // temporary folder, else in `fallbackFolder`, and loaded from there. Null
  // when that fails.
  static std::unique_ptr<MappedResourceImage> Map(const std::vector<uint8_t>& image,
                                                  const std::string& fallbackFolder);
  ~MappedResourceImage();
  MappedResourceImage(const MappedResourceImage&) = delete;
  MappedResourceImage& operator=(const MappedResourceImage&) = delete;

  ModuleHandle handle() const { return handle_; }

 private:
  MappedResourceImage(ModuleHandle handle, std::string file) : handle_(handle), file_(std::move(file)) {}
  ModuleHandle handle_;
  // The written library file, when the image was loaded from one.
  std::string file_;
};

}  // namespace trellisk::platform
