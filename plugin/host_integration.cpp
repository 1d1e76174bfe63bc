#include "plugin/host_integration.h"

#include <algorithm>

#include "base/ascii.h"
#include "base/log.h"
#include "base/number_text.h"
#include "platform/environment.h"
#include "platform/line_reader.h"

namespace trellisk {
namespace {

constexpr size_t kMaxPathBytes = 260;
constexpr size_t kIniLineBuffer = 4096;

// The four items of tbplugin.ini that make the host's junk threshold.
struct JunkItems {
  int32_t deleteScore = 0;
  int32_t junkScore = 0;
  bool deleteOn = false;
  bool junkOn = false;

  // Lines are compared by their beginning; the longer keywords come first so
  // that "DeleteScore" is not taken for "Delete".
  void Read(std::string_view line) {
    const size_t equals = line.rfind('=');
    const int32_t value =
        equals == std::string_view::npos ? 0 : static_cast<int32_t>(ParseUnsignedDecimal(line.substr(equals + 1)));
    if (StartsWithIgnoreCase(line, "DeleteScore")) {
      deleteScore = value;
    } else if (StartsWithIgnoreCase(line, "JunkScore")) {
      junkScore = value;
    } else if (StartsWithIgnoreCase(line, "Delete")) {
      deleteOn = value != 0;
    } else if (StartsWithIgnoreCase(line, "Junk")) {
      junkOn = value != 0;
    }
  }
};

bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

void ReplaceAllText(std::string& text, std::string_view find, std::string_view replacement) {
  for (size_t at = text.find(find); at != std::string::npos; at = text.find(find, at + replacement.size())) {
    text.replace(at, find.size(), replacement);
  }
}

}  // namespace

std::optional<std::string> ReadRegistryText(platform::RegistryKey& key, std::string_view name,
                                            size_t maxBytes) {
  const std::optional<platform::RegistryValue> value = key.Read(name, maxBytes);
  if (!value) return std::nullopt;
  if (value->type != platform::kRegString && value->type != platform::kRegExpandString) return std::nullopt;
  if (value->data.empty() || value->data.back() != 0) return std::nullopt;
  const auto end = std::find(value->data.begin(), value->data.end(), uint8_t{0});
  return std::string(value->data.begin(), end);
}

HostIntegration::HostIntegration(platform::Registry& registry, platform::FileSystem& files, Log& log)
    : registry_(registry), files_(files), log_(log) {}

std::string HostIntegration::HostDirectory() {
  const std::unique_ptr<platform::RegistryKey> key =
      registry_.Open(platform::RegistryHive::CurrentUser, kHostRegistryKey);
  if (!key) {
    log_.TextLine(kTextHostPathNotFound);
    return {};
  }
  std::string directory = ReadRegistryText(*key, "ProgramDir", kMaxPathBytes).value_or("");
  if (const std::optional<std::string> exePath = ReadRegistryText(*key, "EXE path", kMaxPathBytes)) {
    const size_t lastSeparator = exePath->rfind(platform::kPathSeparator);
    directory = lastSeparator == std::string::npos ? std::string() : exePath->substr(0, lastSeparator + 1);
  }
  if (directory.empty()) return {};
  if (directory.back() != platform::kPathSeparator) directory += platform::kPathSeparator;
  return directory;
}

std::string HostIntegration::IniFilePath(std::string workingDirectory) {
  ReplaceAllText(workingDirectory, "%APPDATA%", platform::EnvironmentVariable("APPDATA").value_or(""));
  std::string path(Trim(workingDirectory));
  if (!EndsWithSeparator(path)) path += platform::kPathSeparator;
  return path + kHostIniFileName;
}

uint32_t HostIntegration::JunkThreshold() {
  JunkItems items;
  const std::unique_ptr<platform::RegistryKey> key =
      registry_.Open(platform::RegistryHive::CurrentUser, kHostRegistryKey);
  const std::optional<std::string> workingDirectory =
      key ? ReadRegistryText(*key, "Working Directory", kMaxPathBytes) : std::nullopt;
  if (workingDirectory) {
    if (const std::unique_ptr<platform::ReadableFile> file = files_.OpenForReading(IniFilePath(*workingDirectory))) {
      platform::LineReader reader(*file);
      std::string_view line;
      while (reader.ReadLine(kIniLineBuffer, line)) items.Read(Trim(line));
    }
  }
  if (items.junkOn) {
    return static_cast<uint32_t>(items.deleteOn && items.junkScore < items.deleteScore ? items.deleteScore
                                                                                        : items.junkScore);
  }
  if (items.deleteOn) return static_cast<uint32_t>(items.deleteScore);
  if (items.junkScore != 0) {
    log_.TextLine(kTextSpamFilteringNotActivated);
    return static_cast<uint32_t>(items.junkScore);
  }
  log_.TextLine(kTextNoHostSpamScore);
  return 0;
}

}  // namespace trellisk
