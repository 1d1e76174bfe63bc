// The machine's registry on POSIX: the hive files in the user's
// configuration directory.
#include <pwd.h>
#include <unistd.h>

#include <vector>

#include "platform/environment.h"
#include "platform/file_registry.h"
#include "platform/memory_registry.h"

namespace trellisk::platform {
namespace {

std::optional<std::string> NonEmptyVariable(const char* name) {
  std::optional<std::string> value = EnvironmentVariable(name);
  if (value && value->empty()) return std::nullopt;
  return value;
}

std::optional<std::string> HomeFromPasswordDatabase() {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->pw_dir ||
      !*found->pw_dir) {
    return std::nullopt;
  }
  return std::string(found->pw_dir);
}

}  // namespace

std::optional<std::string> SystemRegistryDirectory() {
  if (std::optional<std::string> directory = NonEmptyVariable("TRELLISK_REGISTRY")) return directory;
  const std::optional<std::string> config = NonEmptyVariable("XDG_CONFIG_HOME");
  if (config && config->front() == '/') return *config + "/trellisk";
  std::optional<std::string> home = NonEmptyVariable("HOME");
  if (!home) home = HomeFromPasswordDatabase();
  if (!home) return std::nullopt;
  return *home + "/.config/trellisk";
}

std::unique_ptr<Registry> OpenSystemRegistry(RegistryProblemSink problems) {
  const std::optional<std::string> directory = SystemRegistryDirectory();
  if (!directory) {
    if (problems) {
      problems("No directory for the registry files: neither TRELLISK_REGISTRY, XDG_CONFIG_HOME nor HOME is set "
               "and the user has no home directory; settings are kept in memory only.");
    }
    return std::make_unique<MemoryRegistry>();
  }
  return std::make_unique<FileRegistry>(*directory, std::move(problems));
}

}  // namespace trellisk::platform
