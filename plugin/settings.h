// Settings is the plug-in's one configuration record: every configuration
// value and the four detection counters, each field named by its registry
// value name. The core owns the process-wide instance; tests make their own.
//
// Thread-safety: the detection counters are atomic, because scoring calls and
// learning threads of the host's and the plug-in's own threads count at once.
// Every other field is written only at start-up and from the setup dialog
// (on the host's window thread) and read by everyone else.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace trellisk {

// The default file names of the stores; a path that is missing or equals its
// default name (ignoring case) becomes the host directory + that name.
inline constexpr const char* kDefaultDatabaseFile = "database.dat";
inline constexpr const char* kDefaultUndoFile = "undo.dat";
inline constexpr const char* kDefaultBlacklistFile = "blacklist.txt";
inline constexpr const char* kDefaultWhitelistFile = "whitelist.txt";
inline constexpr const char* kDefaultLogFile = "trellisk.log";
inline constexpr const char* kDefaultRegExpFile = "filters.dat";
// Fifteen DNS blacklist zones, comma-separated.
extern const char* const kDefaultDnsServerList;

inline constexpr const char* kProductName = "Trellisk";
inline constexpr const char* kProductVersion = "v2.0.4";

// Bits of the Algorithm setting.
inline constexpr uint32_t kAlgorithmChiSquare = 2;
inline constexpr uint32_t kAlgorithmRuleFilter = 4;

struct Settings {
  Settings() { SetDefaults(); }
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // Assigns every default.
  void SetDefaults();

  bool UsesChiSquare() const { return (Algorithm & kAlgorithmChiSquare) != 0; }
  bool RuleFilterActive() const { return (Algorithm & kAlgorithmRuleFilter) != 0; }

  // Detection counters (registry key "Software\Trellisk\Statistics").
  std::atomic<uint32_t> DetectedSpam{0};
  std::atomic<uint32_t> DetectedHam{0};
  std::atomic<uint32_t> FalsePositiv{0};
  std::atomic<uint32_t> FalseNegativ{0};

  // Files.
  std::string DatabasePath;
  std::string UndodataPath;
  std::string BlacklistPath;
  std::string WhitelistPath;
  std::string LogfilePath;
  std::string DNSServerlist;
  std::string RegExpPath;

  uint32_t RunCount = 0;
  uint32_t CompressDatabase = 0;
  uint32_t CompressIfCountBelow = 0;
  uint32_t MinWordLength = 0;
  uint32_t StringToHashLimit = 0;
  uint32_t MaxThreadCount = 0;
  uint32_t SignificantWords = 0;
  uint32_t RemoveNonSignificant = 0;
  uint32_t AutoLearning = 0;
  uint32_t AutoLearningGradeAbove = 0;
  uint32_t AutoLearningGradeBelow = 0;
  uint32_t ParseHTML = 0;
  uint32_t RemoveDoublets = 0;
  uint32_t DoNotReportBelow = 0;
  uint32_t SaveDelay = 0;
  uint32_t SpamScore = 0;
  uint32_t DNSBlacklist = 0;
  uint32_t DNSBlacklistSpamCount = 0;
  uint32_t MaxSizeOfLogfile = 0;
  uint32_t VerboseLogfile = 0;
  uint32_t AutoInsertBlacklist = 0;
  uint32_t AutoInsertWhitelist = 0;
  uint32_t AutoInsertBlacklistTrain = 0;
  uint32_t AutoInsertWhitelistTrain = 0;
  uint32_t MaxSizeOfLists = 0;
  uint32_t Language = 0;
  uint32_t Algorithm = 0;
  uint32_t LowerCase = 0;
  uint32_t SpecialMarkers = 0;
  uint32_t RemoveNoise = 0;
  uint32_t TrainOnError = 0;
  uint32_t BlackWhiteLearning = 0;
  uint32_t RegExpSpamThreshold = 0;

  // Single precision in memory; stored in the registry as value x 100000.
  float HamWeight = 0;
  float UnknownWordStrength = 0;
  float UnknownWordPossibility = 0;

  // Editor window rectangles, each read and written Left, Right, Top, Bottom.
  uint32_t EditorLogfileLeft = 0, EditorLogfileRight = 0, EditorLogfileTop = 0, EditorLogfileBottom = 0;
  uint32_t EditorBlacklistLeft = 0, EditorBlacklistRight = 0, EditorBlacklistTop = 0, EditorBlacklistBottom = 0;
  uint32_t EditorWhitelistLeft = 0, EditorWhitelistRight = 0, EditorWhitelistTop = 0, EditorWhitelistBottom = 0;
  uint32_t EditorRegExplistLeft = 0, EditorRegExplistRight = 0, EditorRegExplistTop = 0,
           EditorRegExplistBottom = 0;
};

}  // namespace trellisk
