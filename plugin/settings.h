// Settings is the plug-in's configuration: every configuration value, each
// field named by its registry value name, with its default. It is a plain
// value: the session publishes it as an immutable snapshot (published.h)
// that every scoring call and learning thread takes whole when it starts,
// and a change of settings publishes a new one. The detection counters,
// which every call changes, live apart in DetectionCounters.
//
// Thread-safety: a value; a published snapshot is never changed, so any
// number of threads may read it.
#pragma once

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
inline constexpr const char* kDefaultDnsServerList =
    "zen.spamhaus.org,bl.spamcop.net,b.barracudacentral.org,dnsbl.sorbs.net,psbl.surriel.com,"
    "bl.mailspike.net,dnsbl-1.uceprotect.net,ix.dnsbl.manitu.net,truncate.gbudb.net,"
    "dnsbl.dronebl.org,db.wpbl.info,bl.spameatingmonkey.net,dnsbl.spfbl.net,rbl.interserver.net,"
    "spam.dnsbl.anonmails.de";

inline constexpr const char* kProductName = "Trellisk";
inline constexpr const char* kProductVersion = "v2.0.4";

// Bits of the Algorithm setting.
inline constexpr uint32_t kAlgorithmChiSquare = 2;
inline constexpr uint32_t kAlgorithmRuleFilter = 4;
inline constexpr uint32_t kAlgorithmPrecise = 8;

struct Settings {
  bool UsesChiSquare() const { return (Algorithm & kAlgorithmChiSquare) != 0; }
  bool RuleFilterActive() const { return (Algorithm & kAlgorithmRuleFilter) != 0; }
  bool UsesPreciseMode() const { return (Algorithm & kAlgorithmPrecise) != 0; }
  // The noise pass drops hammy words only, which costs the precise mode
  // false positives, so that mode goes without it.
  bool ReducesNoise() const { return RemoveNoise != 0 && !UsesPreciseMode(); }

  // Files.
  std::string DatabasePath = kDefaultDatabaseFile;
  std::string UndodataPath = kDefaultUndoFile;
  std::string BlacklistPath = kDefaultBlacklistFile;
  std::string WhitelistPath = kDefaultWhitelistFile;
  std::string LogfilePath = kDefaultLogFile;
  std::string DNSServerlist = kDefaultDnsServerList;
  std::string RegExpPath = kDefaultRegExpFile;

  uint32_t RunCount = 0;
  uint32_t CompressDatabase = 100;
  uint32_t CompressIfCountBelow = 2;
  uint32_t MinWordLength = 3;
  uint32_t StringToHashLimit = 25;
  uint32_t MaxThreadCount = 20;
  uint32_t SignificantWords = 20;
  uint32_t RemoveNonSignificant = 1;
  uint32_t AutoLearning = 3;
  uint32_t AutoLearningGradeAbove = 90;
  uint32_t AutoLearningGradeBelow = 5;
  uint32_t ParseHTML = 1;
  uint32_t RemoveDoublets = 1;
  uint32_t DoNotReportBelow = 1;
  uint32_t SaveDelay = 0;
  uint32_t SpamScore = 90;
  uint32_t DNSBlacklist = 1;
  uint32_t DNSBlacklistSpamCount = 3;
  uint32_t MaxSizeOfLogfile = 100000;
  uint32_t VerboseLogfile = 1;
  uint32_t AutoInsertBlacklist = 0;
  uint32_t AutoInsertWhitelist = 0;
  uint32_t AutoInsertBlacklistTrain = 0;
  uint32_t AutoInsertWhitelistTrain = 0;
  uint32_t MaxSizeOfLists = 100000;
  uint32_t Language = 0;
  uint32_t Algorithm = 1;
  uint32_t LowerCase = 0;
  uint32_t SpecialMarkers = 1;
  uint32_t RemoveNoise = 1;
  uint32_t TrainOnError = 1;
  uint32_t BlackWhiteLearning = 1;
  uint32_t RegExpSpamThreshold = 499;

  // Single precision in memory; stored in the registry as value x 100000.
  float HamWeight = 1.0f;
  float UnknownWordStrength = 0.0178f;
  float UnknownWordPossibility = 0.52f;
  // The precise mode combines every word further than this from 0.5.
  float SignificanceCut = 0.0f;

  // Editor window rectangles, each read and written Left, Right, Top, Bottom.
  uint32_t EditorLogfileLeft = 0, EditorLogfileRight = 0, EditorLogfileTop = 0, EditorLogfileBottom = 0;
  uint32_t EditorBlacklistLeft = 0, EditorBlacklistRight = 0, EditorBlacklistTop = 0, EditorBlacklistBottom = 0;
  uint32_t EditorWhitelistLeft = 0, EditorWhitelistRight = 0, EditorWhitelistTop = 0, EditorWhitelistBottom = 0;
  uint32_t EditorRegExplistLeft = 0, EditorRegExplistRight = 0, EditorRegExplistTop = 0,
           EditorRegExplistBottom = 0;
};

}  // namespace trellisk
