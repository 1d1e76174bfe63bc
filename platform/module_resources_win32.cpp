#include <windows.h>

#include <cstring>
#include <fstream>

#include "platform/module_resources.h"
#include "platform/win32_module.h"

namespace trellisk::platform {
namespace {

ResourceName NameOf(LPCWSTR name) {
  if (IS_INTRESOURCE(name)) return ResourceName::Number(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(name)));
  return ResourceName{0, std::u16string(reinterpret_cast<const char16_t*>(name))};
}

struct Enumeration {
  HMODULE module;
  std::vector<Resource>* resources;
  LPCWSTR type = nullptr;
  LPCWSTR name = nullptr;
};

BOOL CALLBACK OnLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR context) {
  auto& enumeration = *reinterpret_cast<Enumeration*>(context);
  HRSRC found = FindResourceExW(module, type, name, language);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* bytes = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
  if (!bytes) return TRUE;
  Resource resource{NameOf(type), NameOf(name), language, {}, 0};
  resource.data.assign(bytes, bytes + SizeofResource(module, found));
  enumeration.resources->push_back(std::move(resource));
  return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
  EnumResourceLanguagesW(module, type, name, OnLanguage, context);
  return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR context) {
  EnumResourceNamesW(module, type, OnName, context);
  return TRUE;
}

// Windows 95, 98 and ME load a library only from a file.
bool LoadsLibrariesFromFilesOnly() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&version)) return true;
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

std::string TemporaryFolder(const std::string& fallbackFolder) {
  char buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof(buffer), buffer);
  if (length == 0 || length > MAX_PATH) return fallbackFolder;
  return std::string(buffer, length);
}

}  // namespace

ModuleHandle OwnModuleHandle() { return OwnModule(); }

std::vector<Resource> ModuleResources(ModuleHandle module) {
  std::vector<Resource> resources;
  Enumeration enumeration{static_cast<HMODULE>(module), &resources};
  EnumResourceTypesW(static_cast<HMODULE>(module), OnType, reinterpret_cast<LONG_PTR>(&enumeration));
  SortResources(resources);
  return resources;
}

std::string LoadModuleString(ModuleHandle module, int id, size_t bufferBytes) {
  if (bufferBytes == 0 || id < 0 || id > 0xFFFF) return {};
  std::vector<char> buffer(bufferBytes);
  const int length = LoadStringA(static_cast<HMODULE>(module), static_cast<UINT>(id), buffer.data(),
                                 static_cast<int>(bufferBytes));
  return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
}

std::unique_ptr<MappedResourceImage> MappedResourceImage::Map(const std::vector<uint8_t>& image,
                                                             const std::string& fallbackFolder) {
  if (image.empty()) return nullptr;
  if (LoadsLibrariesFromFilesOnly()) {
    std::string folder = TemporaryFolder(fallbackFolder);
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    const std::string file = folder + "language.dll";
    {
      std::ofstream out(file, std::ios::binary | std::ios::trunc);
      out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
      if (!out.flush()) return nullptr;
    }
    HMODULE loaded = LoadLibraryA(file.c_str());
    if (!loaded) {
      DeleteFileA(file.c_str());
      return nullptr;
    }
    return std::unique_ptr<MappedResourceImage>(new MappedResourceImage(loaded, file));
  }
  void* base = VirtualAlloc(nullptr, image.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!base) return nullptr;
  std::memcpy(base, image.data(), image.size());
  DWORD previous = 0;
  if (!VirtualProtect(base, image.size(), PAGE_READONLY, &previous)) {
    VirtualFree(base, 0, MEM_RELEASE);
    return nullptr;
  }
  return std::unique_ptr<MappedResourceImage>(new MappedResourceImage(base, {}));
}

MappedResourceImage::~MappedResourceImage() {
  if (file_.empty()) {
    VirtualFree(handle_, 0, MEM_RELEASE);
  } else {
    FreeLibrary(static_cast<HMODULE>(handle_));
    DeleteFileA(file_.c_str());
  }
}

}  // namespace trellisk::platform
