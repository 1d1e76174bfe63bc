// The machine's registry on Windows: the system registry itself, through
// the ANSI calls (names and texts are 8-bit, as everywhere in the core).
#include <windows.h>

#include <string>

#include "platform/registry.h"

namespace trellisk::platform {
namespace {

HKEY RootKey(RegistryHive hive) {
  return hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Win32Key final : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : key_(key) {}
  ~Win32Key() override { RegCloseKey(key_); }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  std::optional<RegistryValue> Read(std::string_view name, size_t maxBytes) override {
    const std::string valueName(name);
    RegistryValue value;
    // One spare byte tells data longer than maxBytes from data of exactly
    // maxBytes, whatever the system does with a buffer that is too small.
    value.data.resize(maxBytes + 1);
    DWORD type = REG_NONE;
    DWORD size = static_cast<DWORD>(value.data.size());
    const LSTATUS status = RegQueryValueExA(key_, valueName.c_str(), nullptr, &type, value.data.data(), &size);
    if (status != ERROR_SUCCESS || size > maxBytes) return std::nullopt;
    value.type = type;
    value.data.resize(size);
    return value;
  }

  bool Write(std::string_view name, const RegistryValue& value) override {
    const std::string valueName(name);
    return RegSetValueExA(key_, valueName.c_str(), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
  }

 private:
  HKEY key_;
};

class Win32Registry final : public Registry {
 public:
  // Keys are opened for reading and writing; a key the user may only read
  // (the machine hive without administrator rights) is opened for reading,
  // so that the settings still load.
  std::unique_ptr<RegistryKey> Open(RegistryHive hive, std::string_view path) override {
    const std::string keyPath(path);
    HKEY key = nullptr;
    if (RegOpenKeyExA(RootKey(hive), keyPath.c_str(), 0, KEY_READ | KEY_WRITE, &key) == ERROR_SUCCESS ||
        RegOpenKeyExA(RootKey(hive), keyPath.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      return std::make_unique<Win32Key>(key);
    }
    return nullptr;
  }

  std::unique_ptr<RegistryKey> Create(RegistryHive hive, std::string_view path) override {
    const std::string keyPath(path);
    HKEY key = nullptr;
    if (RegCreateKeyExA(RootKey(hive), keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32Key>(key);
  }
};

}  // namespace

// The system registry reports no problems of its own: failures show as
// failed reads and writes.
std::unique_ptr<Registry> OpenSystemRegistry(RegistryProblemSink /*problems*/) {
  return std::make_unique<Win32Registry>();
}

}  // namespace trellisk::platform
