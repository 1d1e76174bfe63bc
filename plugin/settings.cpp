#include "plugin/settings.h"

namespace trellisk {

const char* const kDefaultDnsServerList =
    "zen.spamhaus.org,bl.spamcop.net,b.barracudacentral.org,dnsbl.sorbs.net,psbl.surriel.com,"
    "bl.mailspike.net,dnsbl-1.uceprotect.net,ix.dnsbl.manitu.net,truncate.gbudb.net,"
    "dnsbl.dronebl.org,db.wpbl.info,bl.spameatingmonkey.net,dnsbl.spfbl.net,rbl.interserver.net,"
    "spam.dnsbl.anonmails.de";

void Settings::SetDefaults() {
  DetectedSpam = 0;
  DetectedHam = 0;
  FalsePositiv = 0;
  FalseNegativ = 0;
  DatabasePath = kDefaultDatabaseFile;
  UndodataPath = kDefaultUndoFile;
  BlacklistPath = kDefaultBlacklistFile;
  WhitelistPath = kDefaultWhitelistFile;
  LogfilePath = kDefaultLogFile;
  DNSServerlist = kDefaultDnsServerList;
  RegExpPath = kDefaultRegExpFile;
  RunCount = 0;
  CompressDatabase = 100;
  CompressIfCountBelow = 2;
  MinWordLength = 3;
  StringToHashLimit = 25;
  MaxThreadCount = 20;
  SignificantWords = 20;
  RemoveNonSignificant = 1;
  AutoLearning = 3;
  AutoLearningGradeAbove = 90;
  AutoLearningGradeBelow = 5;
  ParseHTML = 1;
  RemoveDoublets = 1;
  DoNotReportBelow = 1;
  SaveDelay = 0;
  SpamScore = 90;
  DNSBlacklist = 1;
  DNSBlacklistSpamCount = 3;
  MaxSizeOfLogfile = 100000;
  VerboseLogfile = 1;
  AutoInsertBlacklist = 0;
  AutoInsertWhitelist = 0;
  AutoInsertBlacklistTrain = 0;
  AutoInsertWhitelistTrain = 0;
  MaxSizeOfLists = 100000;
  Language = 0;
  Algorithm = 1;
  LowerCase = 0;
  SpecialMarkers = 1;
  RemoveNoise = 1;
  TrainOnError = 1;
  BlackWhiteLearning = 1;
  RegExpSpamThreshold = 499;
  HamWeight = 1.0f;
  UnknownWordStrength = 0.0178f;
  UnknownWordPossibility = 0.52f;
  EditorLogfileLeft = EditorLogfileRight = EditorLogfileTop = EditorLogfileBottom = 0;
  EditorBlacklistLeft = EditorBlacklistRight = EditorBlacklistTop = EditorBlacklistBottom = 0;
  EditorWhitelistLeft = EditorWhitelistRight = EditorWhitelistTop = EditorWhitelistBottom = 0;
  EditorRegExplistLeft = EditorRegExplistRight = EditorRegExplistTop = EditorRegExplistBottom = 0;
}

}  // namespace trellisk
