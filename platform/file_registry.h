// FileRegistry: the Registry kept in two REGEDIT4 files in one directory,
// HKEY_LOCAL_MACHINE.reg and HKEY_CURRENT_USER.reg (see hive_file.h for how
// they are written safely and shared between processes). Every read sees
// the latest file; every change is committed to its hive file before it
// returns, and a write of the data a value already holds changes nothing.
//
// A key object remembers its path, not the key itself: when the file has
// lost the key meanwhile (another program rewrote it, or it was set aside
// as damaged), reads of the key fail and a write creates it again.
//
// Key objects share the hive files with the registry and may outlive it.
// Thread-safe.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace trellisk::platform {

class HiveFile;

class FileRegistry final : public Registry {
 public:
  // `directory` need not exist yet; the first change creates it.
  // `problems` hears of damaged hive files set aside and of failed writes;
  // it is called without any of the registry's locks held and may be empty.
  FileRegistry(const std::string& directory, RegistryProblemSink problems);
  ~FileRegistry() override;

  std::unique_ptr<RegistryKey> Open(RegistryHive hive, std::string_view path) override;
  std::unique_ptr<RegistryKey> Create(RegistryHive hive, std::string_view path) override;
  // One change of the hive file for all the values; none when the file
  // holds them already.
  bool WriteValues(RegistryHive hive, std::span<const RegistryWrite> writes) override;

  // The file that holds the hive.
  const std::string& HivePath(RegistryHive hive) const;

 private:
  class Key;
  const std::shared_ptr<HiveFile>& File(RegistryHive hive) const;

  std::shared_ptr<HiveFile> localMachine_;
  std::shared_ptr<HiveFile> currentUser_;
};

// Where OpenSystemRegistry keeps its files: $TRELLISK_REGISTRY, else
// $XDG_CONFIG_HOME/trellisk, else $HOME/.config/trellisk (HOME from the
// password database when unset). Empty and relative XDG_CONFIG_HOME values
// are ignored, as the XDG base directory rules ask. Nothing when no home
// directory is known either.
std::optional<std::string> SystemRegistryDirectory();

}  // namespace trellisk::platform
