#include "host/host_environment.h"

#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <random>
#include <fstream>
#include <sstream>

#include "platform/environment.h"
#include "platform/registry.h"
#include "plugin/host_integration.h"

namespace trellisk::host {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kDefaultJunkThreshold = 90;
constexpr const char* kPluginSettingsKey = "Software\\Trellisk";
constexpr const char* kPluginStatisticsKey = "Software\\Trellisk\\Statistics";

std::string WithTrailingSlash(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

std::string IniText(uint32_t junkThreshold) {
  std::ostringstream text;
  text << "; The spam-filter thresholds of the trellisk-host mail client.\n"
       << "Junk=1\n"
       << "JunkScore=" << junkThreshold << "\n"
       << "Delete=0\n"
       << "DeleteScore=100\n";
  return text.str();
}

}  // namespace

std::string DefaultDataDirectory() {
  if (const auto xdg = platform::EnvironmentVariable("XDG_DATA_HOME"); xdg && !xdg->empty()) {
    return WithTrailingSlash(*xdg) + "trellisk/";
  }
  return WithTrailingSlash(platform::EnvironmentVariable("HOME").value_or(".")) + ".local/share/trellisk/";
}

bool HostEnvironment::Prepare(const HostOptions& options, std::string& error) {
  std::error_code failure;
  invocationDirectory_ = WithTrailingSlash(fs::current_path(failure).string());
  requestedDataDirectory_ = options.dataDirectory;
  fresh_ = options.freshDirectory;
  registryVariableAtStart_ = platform::EnvironmentVariable("TRELLISK_REGISTRY").value_or("");
  std::string requested = options.dataDirectory.empty() ? DefaultDataDirectory() : options.dataDirectory;
  if (options.freshDirectory) requested = MakeTemporaryDirectory();
  fs::create_directories(requested, failure);
  const fs::path absolute = fs::absolute(requested, failure);
  if (failure || !fs::is_directory(absolute)) {
    error = "cannot create the data directory " + requested;
    return false;
  }
  dataDirectory_ = WithTrailingSlash(absolute.lexically_normal().string());
  if (options.freshDirectory || registryVariableAtStart_.empty()) {
    platform::SetEnvironmentVariable("TRELLISK_REGISTRY", dataDirectory_ + "registry");
  }
  if (!WriteHostKey(error) || !WriteIniFile(options.junkThreshold, error)) return false;
  if (!options.settings.empty() && !StoreSettings(options.settings, error)) return false;
  ReadJunkThreshold();
  fs::current_path(dataDirectory_, failure);
  if (failure) {
    error = "cannot change to " + dataDirectory_;
    return false;
  }
  return true;
}

void HostEnvironment::RemoveFreshDirectory() const {
  if (!fresh_ || dataDirectory_.empty()) return;
  std::error_code ignored;
  fs::current_path(invocationDirectory_, ignored);
  fs::remove_all(dataDirectory_, ignored);
}

bool HostEnvironment::PrepareRequested(HostEnvironment& requested, std::string& error) const {
  platform::SetEnvironmentVariable("TRELLISK_REGISTRY", registryVariableAtStart_);
  std::error_code ignored;
  fs::current_path(invocationDirectory_, ignored);
  HostOptions options;
  options.dataDirectory = requestedDataDirectory_;
  return requested.Prepare(options, error);
}

std::optional<uint32_t> HostEnvironment::StoredNumber(const std::string& name) const {
  const std::unique_ptr<platform::Registry> registry = platform::OpenSystemRegistry([](const std::string&) {});
  const std::unique_ptr<platform::RegistryKey> key =
      registry->Open(platform::RegistryHive::LocalMachine, kPluginSettingsKey);
  if (!key) return std::nullopt;
  const std::optional<platform::RegistryValue> value = key->Read(name, sizeof(uint32_t));
  return value ? value->AsDword() : std::nullopt;
}

std::string HostEnvironment::ResolveInput(const std::string& path) const {
  if (path.empty() || fs::path(path).is_absolute()) return path;
  return invocationDirectory_ + path;
}

void HostEnvironment::ReadJunkThreshold() {
  std::ifstream ini(dataDirectory_ + kHostIniFileName);
  for (std::string line; std::getline(ini, line);) {
    if (line.rfind("JunkScore=", 0) == 0) junkThreshold_ = static_cast<uint32_t>(std::strtoul(line.c_str() + 10, nullptr, 10));
  }
}

std::string MakeTemporaryDirectory() {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const fs::path candidate = fs::temp_directory_path() / ("trellisk-host-" + std::to_string(random()));
    std::error_code failure;
    if (fs::create_directory(candidate, failure)) return candidate.string();
  }
  return (fs::temp_directory_path() / "trellisk-host").string();
}

bool HostEnvironment::WriteHostKey(std::string& error) {
  std::string problems;
  const std::unique_ptr<platform::Registry> registry =
      platform::OpenSystemRegistry([&problems](const std::string& problem) { problems += problem + "\n"; });
  const std::unique_ptr<platform::RegistryKey> key =
      registry->Create(platform::RegistryHive::CurrentUser, kHostRegistryKey);
  const bool written = key && key->Write("ProgramDir", platform::RegistryValue::String(dataDirectory_)) &&
                       key->Write("Working Directory", platform::RegistryValue::String(dataDirectory_));
  if (!written) error = "cannot write the host's registry key. " + problems;
  return written;
}

bool ParseSetting(const std::string& text, PluginSetting& setting) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) return false;
  const std::string number = text.substr(equals + 1);
  if (number.size() > 10 || number.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long value = std::stoull(number);
  if (value > UINT32_MAX) return false;
  setting = {text.substr(0, equals), static_cast<uint32_t>(value)};
  return true;
}

bool ParseTextSetting(const std::string& text, PluginSetting& setting) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  setting = {text.substr(0, equals), text.substr(equals + 1)};
  return true;
}

bool HostEnvironment::StoreSettings(const std::vector<PluginSetting>& settings, std::string& error) {
  const std::unique_ptr<platform::Registry> registry = platform::OpenSystemRegistry(
      [](const std::string& problem) { std::fprintf(stderr, "trellisk-host: %s\n", problem.c_str()); });
  // With the statistics key in place the plug-in reads its settings as
  // left by an earlier run.
  const bool keys = registry->Create(platform::RegistryHive::LocalMachine, kPluginStatisticsKey) != nullptr;
  const std::unique_ptr<platform::RegistryKey> key =
      registry->Create(platform::RegistryHive::LocalMachine, kPluginSettingsKey);
  for (const PluginSetting& setting : settings) {
    const platform::RegistryValue value = std::holds_alternative<uint32_t>(setting.value)
                                              ? platform::RegistryValue::Dword(std::get<uint32_t>(setting.value))
                                              : platform::RegistryValue::String(std::get<std::string>(setting.value));
    if (!keys || !key || !key->Write(setting.name, value)) {
      error = "cannot store the setting " + setting.name;
      return false;
    }
  }
  return true;
}

bool HostEnvironment::WriteIniFile(std::optional<uint32_t> junkThreshold, std::string& error) {
  const std::string path = dataDirectory_ + kHostIniFileName;
  if (!junkThreshold && fs::exists(path)) return true;
  std::ofstream ini(path, std::ios::binary | std::ios::trunc);
  ini << IniText(junkThreshold.value_or(kDefaultJunkThreshold));
  if (!ini.flush()) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace trellisk::host
