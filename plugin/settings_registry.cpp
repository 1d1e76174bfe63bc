#include "plugin/settings_registry.h"

#include <cstring>
#include <memory>
#include <vector>

#include "base/ascii.h"
#include "base/log.h"
#include "plugin/detection_counters.h"
#include "plugin/settings.h"

namespace trellisk {
namespace {

using platform::RegistryHive;
using platform::RegistryKey;
using platform::RegistryValue;

constexpr size_t kMaxPathBytes = 260;
constexpr size_t kMaxZoneListBytes = 65536;

struct PathSetting {
  const char* name;
  std::string Settings::*field;
  const char* defaultFile;
};

// In the order they are read.
constexpr PathSetting kPaths[] = {
    {"DatabasePath", &Settings::DatabasePath, kDefaultDatabaseFile},
    {"UndodataPath", &Settings::UndodataPath, kDefaultUndoFile},
    {"BlacklistPath", &Settings::BlacklistPath, kDefaultBlacklistFile},
    {"WhitelistPath", &Settings::WhitelistPath, kDefaultWhitelistFile},
    {"LogfilePath", &Settings::LogfilePath, kDefaultLogFile},
    {"RegExpPath", &Settings::RegExpPath, kDefaultRegExpFile},
};

struct NumberSetting {
  const char* name;
  uint32_t Settings::*field;
};

#define TRELLISK_NUMBER(name) {#name, &Settings::name}
// In the order they are read and written.
constexpr NumberSetting kNumbers[] = {
    TRELLISK_NUMBER(RunCount),
    TRELLISK_NUMBER(CompressDatabase),
    TRELLISK_NUMBER(CompressIfCountBelow),
    TRELLISK_NUMBER(MinWordLength),
    TRELLISK_NUMBER(StringToHashLimit),
    TRELLISK_NUMBER(MaxThreadCount),
    TRELLISK_NUMBER(SignificantWords),
    TRELLISK_NUMBER(RemoveNonSignificant),
    TRELLISK_NUMBER(AutoLearning),
    TRELLISK_NUMBER(AutoLearningGradeAbove),
    TRELLISK_NUMBER(AutoLearningGradeBelow),
    TRELLISK_NUMBER(ParseHTML),
    TRELLISK_NUMBER(RemoveDoublets),
    TRELLISK_NUMBER(DoNotReportBelow),
    TRELLISK_NUMBER(SaveDelay),
    TRELLISK_NUMBER(SpamScore),
    TRELLISK_NUMBER(DNSBlacklist),
    TRELLISK_NUMBER(DNSBlacklistSpamCount),
    TRELLISK_NUMBER(MaxSizeOfLogfile),
    TRELLISK_NUMBER(VerboseLogfile),
    TRELLISK_NUMBER(AutoInsertBlacklist),
    TRELLISK_NUMBER(AutoInsertWhitelist),
    TRELLISK_NUMBER(AutoInsertBlacklistTrain),
    TRELLISK_NUMBER(AutoInsertWhitelistTrain),
    TRELLISK_NUMBER(MaxSizeOfLists),
    TRELLISK_NUMBER(Language),
    TRELLISK_NUMBER(Algorithm),
    TRELLISK_NUMBER(LowerCase),
    TRELLISK_NUMBER(SpecialMarkers),
    TRELLISK_NUMBER(RemoveNoise),
    TRELLISK_NUMBER(TrainOnError),
    TRELLISK_NUMBER(BlackWhiteLearning),
    TRELLISK_NUMBER(RegExpSpamThreshold),
};

// Left, Right, Top, Bottom within each editor.
constexpr NumberSetting kEditorRectangles[] = {
    TRELLISK_NUMBER(EditorLogfileLeft),    TRELLISK_NUMBER(EditorLogfileRight),
    TRELLISK_NUMBER(EditorLogfileTop),     TRELLISK_NUMBER(EditorLogfileBottom),
    TRELLISK_NUMBER(EditorBlacklistLeft),  TRELLISK_NUMBER(EditorBlacklistRight),
    TRELLISK_NUMBER(EditorBlacklistTop),   TRELLISK_NUMBER(EditorBlacklistBottom),
    TRELLISK_NUMBER(EditorWhitelistLeft),  TRELLISK_NUMBER(EditorWhitelistRight),
    TRELLISK_NUMBER(EditorWhitelistTop),   TRELLISK_NUMBER(EditorWhitelistBottom),
    TRELLISK_NUMBER(EditorRegExplistLeft), TRELLISK_NUMBER(EditorRegExplistRight),
    TRELLISK_NUMBER(EditorRegExplistTop),  TRELLISK_NUMBER(EditorRegExplistBottom),
};
#undef TRELLISK_NUMBER

struct RealSetting {
  const char* name;
  float Settings::*field;
  uint32_t lowest;   // smallest stored number accepted
  uint32_t highest;  // largest stored number accepted
};

constexpr RealSetting kReals[] = {
    {"HamWeight", &Settings::HamWeight, 100000, 500000},
    {"UnknownWordStrength", &Settings::UnknownWordStrength, 1, 100000},
    {"UnknownWordPossibility", &Settings::UnknownWordPossibility, 1, 100000},
    {"SignificanceCut", &Settings::SignificanceCut, 0, 49000},
};

constexpr double kRealScale = 100000.0;

// A number is read as four bytes without a type check: the bytes read
// replace the low bytes of the current value. False when nothing was read.
bool ReadNumber(RegistryKey& key, const char* name, uint32_t& number) {
  const std::optional<RegistryValue> value = key.Read(name, sizeof number);
  if (!value) return false;
  uint8_t bytes[4] = {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                      static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
  // An empty value has no data to copy (and memcpy may not be given null).
  if (!value->data.empty()) std::memcpy(bytes, value->data.data(), value->data.size());
  number = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
  return true;
}

void ReadCounter(RegistryKey& key, const char* name, std::atomic<uint32_t>& counter) {
  uint32_t number = counter;
  ReadNumber(key, name, number);
  counter = number;
}

uint32_t StoredReal(float value) { return static_cast<uint32_t>(static_cast<double>(value) * kRealScale + 0.5); }

}  // namespace

SettingsRegistry::SettingsRegistry(platform::Registry& registry, HostIntegration& host, Log& log)
    : registry_(registry), host_(host), log_(log) {}

bool SettingsRegistry::Load(Settings& settings, DetectionCounters& counters) {
  const std::unique_ptr<RegistryKey> statistics = registry_.Open(RegistryHive::LocalMachine, kStatisticsKey);
  if (!statistics) return false;
  ReadCounter(*statistics, "DetectedSpam", counters.DetectedSpam);
  ReadCounter(*statistics, "DetectedHam", counters.DetectedHam);
  ReadCounter(*statistics, "FalsePositiv", counters.FalsePositiv);
  ReadCounter(*statistics, "FalseNegativ", counters.FalseNegativ);

  const std::unique_ptr<RegistryKey> key = registry_.Open(RegistryHive::LocalMachine, kSettingsKey);
  if (!key) return true;
  // The defaults that take the place of missing values are stored, in one
  // change of the registry.
  std::vector<platform::RegistryWrite> defaults;
  LoadPaths(*key, settings, defaults);
  if (const std::optional<std::string> zones = ReadRegistryText(*key, "DNSServerlist", kMaxZoneListBytes)) {
    settings.DNSServerlist = *zones;
  } else {
    defaults.push_back({kSettingsKey, "DNSServerlist", RegistryValue::String(settings.DNSServerlist)});
  }
  if (!defaults.empty()) registry_.WriteValues(RegistryHive::LocalMachine, defaults);
  LoadNumbers(*key, settings);
  if (settings.MaxThreadCount == 0) settings.MaxThreadCount = 1;
  if (settings.SignificantWords < 5) settings.SignificantWords = 5;
  if (settings.VerboseLogfile) log_.TextLine(kTextSettingsLoaded);
  ++settings.RunCount;
  return true;
}

void SettingsRegistry::LoadPaths(RegistryKey& key, Settings& settings,
                                 std::vector<platform::RegistryWrite>& defaults) {
  for (const PathSetting& path : kPaths) {
    const std::optional<std::string> stored = ReadRegistryText(key, path.name, kMaxPathBytes);
    if (stored && !EqualsIgnoreCase(*stored, path.defaultFile)) {
      settings.*path.field = *stored;
      continue;
    }
    settings.*path.field = host_.HostDirectory() + path.defaultFile;
    defaults.push_back({kSettingsKey, path.name, RegistryValue::String(settings.*path.field)});
  }
}

void SettingsRegistry::LoadNumbers(RegistryKey& key, Settings& settings) {
  for (const NumberSetting& number : kNumbers) ReadNumber(key, number.name, settings.*number.field);
  for (const RealSetting& real : kReals) {
    uint32_t stored = 0;
    if (!ReadNumber(key, real.name, stored)) continue;
    if (stored >= real.lowest && stored <= real.highest) {
      settings.*real.field = static_cast<float>(stored * 0.00001);
    }
  }
  for (const NumberSetting& number : kEditorRectangles) ReadNumber(key, number.name, settings.*number.field);
}

bool SettingsRegistry::Save(const Settings& settings, const DetectionCounters& counters) {
  // The counters first: when they cannot be stored, the main key is left
  // alone.
  std::vector<platform::RegistryWrite> writes{
      {kStatisticsKey, "DetectedSpam", RegistryValue::Dword(counters.DetectedSpam)},
      {kStatisticsKey, "DetectedHam", RegistryValue::Dword(counters.DetectedHam)},
      {kStatisticsKey, "FalsePositiv", RegistryValue::Dword(counters.FalsePositiv)},
      {kStatisticsKey, "FalseNegativ", RegistryValue::Dword(counters.FalseNegativ)},
  };
  const auto add = [&](std::string_view name, RegistryValue value) {
    writes.push_back({kSettingsKey, name, std::move(value)});
  };
  for (const PathSetting& path : kPaths) {
    if (path.field == &Settings::RegExpPath) {
      add("DNSServerlist", RegistryValue::String(settings.DNSServerlist));
    }
    add(path.name, RegistryValue::String(settings.*path.field));
  }
  add("Version", RegistryValue::String(kProductVersion));
  AddNumbers(settings, writes);
  const bool saved = registry_.WriteValues(RegistryHive::LocalMachine, writes);
  if (settings.VerboseLogfile) log_.TextLine(kTextSettingsSaved);
  return saved;
}

void SettingsRegistry::AddNumbers(const Settings& settings, std::vector<platform::RegistryWrite>& writes) {
  const auto add = [&](const char* name, uint32_t value) {
    writes.push_back({kSettingsKey, name, RegistryValue::Dword(value)});
  };
  for (const NumberSetting& number : kNumbers) {
    uint32_t value = settings.*number.field;
    // The spam threshold in force is always the host's, as it was at the
    // last shutdown; without one the stored value stays.
    if (number.field == &Settings::SpamScore) {
      value = host_.JunkThreshold();
      if (value == 0) continue;
    }
    add(number.name, value);
  }
  for (const RealSetting& real : kReals) add(real.name, StoredReal(settings.*real.field));
  for (const NumberSetting& number : kEditorRectangles) add(number.name, settings.*number.field);
}

}  // namespace trellisk
