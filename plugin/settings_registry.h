// SettingsRegistry moves the Settings record between memory and the
// registry: Load once at start-up, Save once at shutdown. Settings live under
// HKEY_LOCAL_MACHINE in "Software\Trellisk", the detection counters in
// "Software\Trellisk\Statistics". Default file names become paths in the
// host's program directory; the spam threshold is taken from the host's
// tbplugin.ini when the record is saved.
//
// Not thread-safe on its own: Load and Save run on the start-up and shutdown
// thread while nothing else uses the record.
#pragma once

#include <vector>

#include "platform/registry.h"
#include "plugin/host_integration.h"

namespace trellisk {

class Log;
struct DetectionCounters;
struct Settings;

inline constexpr const char* kSettingsKey = "Software\\Trellisk";
inline constexpr const char* kStatisticsKey = "Software\\Trellisk\\Statistics";

class SettingsRegistry {
 public:
  SettingsRegistry(platform::Registry& registry, HostIntegration& host, Log& log);

  // Reads the settings and the counters. False, with nothing read and every
  // default kept, when the statistics key does not exist (the first start).
  // Advances RunCount when the main key was read.
  bool Load(Settings& settings, DetectionCounters& counters);

  // Writes the counters, then (when they were stored) the settings, in one
  // change of the registry where it can; false when a key could not be made
  // or any value could not be stored (the remaining settings are still
  // written).
  bool Save(const Settings& settings, const DetectionCounters& counters);

 private:
  void LoadPaths(platform::RegistryKey& key, Settings& settings, std::vector<platform::RegistryWrite>& defaults);
  void LoadNumbers(platform::RegistryKey& key, Settings& settings);
  void AddNumbers(const Settings& settings, std::vector<platform::RegistryWrite>& writes);

  platform::Registry& registry_;
  HostIntegration& host_;
  Log& log_;
};

}  // namespace trellisk
