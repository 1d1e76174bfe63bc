// Registry: the persistent settings store with Windows registry semantics.
// Two hives, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, hold keys addressed by
// backslash-separated paths; keys hold named, typed values. Key and value
// names are compared without regard to case (ASCII letters). A key object
// stands for one opened key; destroying it closes the key.
//
// On Windows this is the system registry. On POSIX each hive is one text file
// in the REGEDIT4 format (see file_registry.h).
//
// Registry and key objects are thread-safe; writes of other processes become
// visible to the next read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace trellisk::platform {

enum class RegistryHive { LocalMachine, CurrentUser };

// The Windows value type numbers.
enum RegistryType : uint32_t {
  kRegNone = 0,
  kRegString = 1,        // REG_SZ: text with its terminating zero byte
  kRegExpandString = 2,  // REG_EXPAND_SZ: as REG_SZ, never expanded here
  kRegBinary = 3,        // REG_BINARY
  kRegDword = 4,         // REG_DWORD: four bytes, little-endian
};

struct RegistryValue {
  uint32_t type = kRegNone;
  std::vector<uint8_t> data;

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;

  static RegistryValue Dword(uint32_t number);
  // The number of a REG_DWORD value of exactly four bytes; nothing otherwise.
  std::optional<uint32_t> AsDword() const;
  // The text followed by its terminating zero byte.
  static RegistryValue String(std::string_view text);
};

class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  // Reads a value as the Windows call with a buffer of `maxBytes` does: fails
  // when the value is missing or its data are longer than `maxBytes`.
  virtual std::optional<RegistryValue> Read(std::string_view name, size_t maxBytes) = 0;
  // Creates or replaces the value; false when it could not be stored.
  virtual bool Write(std::string_view name, const RegistryValue& value) = 0;
};

// One value for Registry::WriteValues: the key's path, the value's name and
// its data.
struct RegistryWrite {
  std::string_view path;
  std::string_view name;
  RegistryValue value;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens an existing key; null when the key does not exist or cannot be read.
  virtual std::unique_ptr<RegistryKey> Open(RegistryHive hive, std::string_view path) = 0;
  // Opens the key, creating it and any missing parent keys; null on failure.
  virtual std::unique_ptr<RegistryKey> Create(RegistryHive hive, std::string_view path) = 0;
  // Stores the values in order, creating their keys, as Create and Write
  // one by one do, except that once a value could not be stored, only the
  // values of its own key are still tried. That is what this does unless a
  // registry can do better: the file registry makes it one change of its
  // hive file, which stores all or nothing. False when any value could not
  // be stored.
  virtual bool WriteValues(RegistryHive hive, std::span<const RegistryWrite> writes);
};

// Receives problems the registry met and coped with (a damaged hive file set
// aside, say), as one line of text each, for the log.
using RegistryProblemSink = std::function<void(const std::string& problem)>;

// The registry of this machine. On POSIX the hive files lie in the directory
// named by TRELLISK_REGISTRY, else $XDG_CONFIG_HOME/trellisk, else
// ~/.config/trellisk.
std::unique_ptr<Registry> OpenSystemRegistry(RegistryProblemSink problems);

}  // namespace trellisk::platform
