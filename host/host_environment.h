// HostEnvironment prepares what the mail client provides around its
// plug-ins, so that the plug-in finds a real host: a data directory that is
// the client's program and working directory, the client's registry key
// naming it, the client's tbplugin.ini with its junk threshold, and the
// process's current directory set to it. Unless TRELLISK_REGISTRY is set,
// the registry files live in the data directory too, so each data
// directory is a self-contained installation.
//
// Prepare runs once, on the main thread, before the plug-in is loaded.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <string>
#include <utility>
#include <vector>

namespace trellisk::host {

// A plug-in setting as the user leaves it in the registry: a number (the
// flags, limits and weights) or a text (the file paths, the DNS zone list).
struct PluginSetting {
  std::string name;
  std::variant<uint32_t, std::string> value;
};

struct HostOptions {
  // Empty: $XDG_DATA_HOME/trellisk, else ~/.local/share/trellisk.
  std::string dataDirectory;
  // Use a new, empty temporary directory instead, with the registry in it
  // whatever TRELLISK_REGISTRY says (for evaluations from scratch).
  bool freshDirectory = false;
  // Written to tbplugin.ini as the junk threshold when given.
  std::optional<uint32_t> junkThreshold;
  // Plug-in settings stored in its registry key before it starts, as if the
  // user had set them in an earlier run.
  std::vector<PluginSetting> settings;
};

// Reads "NAME=NUMBER"; false when the text has another form.
bool ParseSetting(const std::string& text, PluginSetting& setting);
// Reads "NAME=TEXT"; the text may be empty. False without a name.
bool ParseTextSetting(const std::string& text, PluginSetting& setting);

class HostEnvironment {
 public:
  // False, with `error` set, when the directory, the registry key or the
  // ini file cannot be made.
  bool Prepare(const HostOptions& options, std::string& error);

  // The data directory with a trailing "/".
  const std::string& dataDirectory() const { return dataDirectory_; }
  // A path given on the command line, made absolute against the directory
  // the host was started in (Prepare changes the current directory).
  std::string ResolveInput(const std::string& path) const;
  // The host's junk threshold: the score from which it files a message as
  // junk, as its tbplugin.ini says (90 when the file does not say).
  uint32_t junkThreshold() const { return junkThreshold_; }

  // Stores plug-in settings in this environment's registry, for the next
  // start of the plug-in; false, with `error` set, when one cannot be.
  bool StoreSettings(const std::vector<PluginSetting>& settings, std::string& error);
  // A numeric plug-in setting as stored in this environment's registry.
  std::optional<uint32_t> StoredNumber(const std::string& name) const;
  // Prepares `requested` as the environment the host would have had
  // without a fresh directory: the requested data directory and the
  // registry it implies. The process's registry variable and current
  // directory then point there; the plug-in keeps the registry it opened.
  bool PrepareRequested(HostEnvironment& requested, std::string& error) const;
  // Removes the data directory when Prepare made a fresh one for this run;
  // the plug-in must be unloaded by then.
  void RemoveFreshDirectory() const;

 private:
  bool WriteHostKey(std::string& error);
  bool WriteIniFile(std::optional<uint32_t> junkThreshold, std::string& error);
  void ReadJunkThreshold();

  std::string dataDirectory_;
  std::string requestedDataDirectory_;
  bool fresh_ = false;
  // TRELLISK_REGISTRY as the host found it; empty when it was not set.
  std::string registryVariableAtStart_;
  std::string invocationDirectory_;
  uint32_t junkThreshold_ = 90;
};

// A new empty directory under the system's temporary directory.
std::string MakeTemporaryDirectory();

// The default data directory.
std::string DefaultDataDirectory();

}  // namespace trellisk::host
