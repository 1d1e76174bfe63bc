#include "plugin/component_options.h"

namespace trellisk {

ParserOptions ParserOptionsOf(const Settings& settings) {
  ParserOptions options;
  options.tokenizer.minWordLength = settings.MinWordLength;
  options.tokenizer.lowerCase = settings.LowerCase != 0;
  options.tokenizer.removeDoublets = settings.RemoveDoublets != 0;
  options.tokenizer.specialMarkers = settings.SpecialMarkers != 0;
  options.parseHtml = settings.ParseHTML != 0;
  options.collectRuleTexts = settings.RuleFilterActive();
  return options;
}

ClassifierOptions ClassifierOptionsOf(const Settings& settings) {
  ClassifierOptions options;
  options.chiSquare = settings.UsesChiSquare();
  options.precise = settings.UsesPreciseMode();
  options.significanceCut = settings.SignificanceCut;
  options.hamWeight = settings.HamWeight;
  options.unknownWordStrength = settings.UnknownWordStrength;
  options.unknownWordPossibility = settings.UnknownWordPossibility;
  options.removeNonSignificant = settings.RemoveNonSignificant != 0;
  options.significantWords = settings.SignificantWords;
  return options;
}

WordDatabaseOptions WordDatabaseOptionsOf(const Settings& settings) {
  return WordDatabaseOptions{settings.DatabasePath, {settings.MinWordLength, settings.StringToHashLimit},
                             settings.VerboseLogfile != 0};
}

UndoOptions UndoOptionsOf(const Settings& settings) {
  return UndoOptions{settings.UndodataPath, settings.VerboseLogfile != 0};
}

ListOptions ListOptionsOf(const Settings& settings) {
  return ListOptions{settings.BlacklistPath, settings.WhitelistPath, settings.MaxSizeOfLists,
                     settings.VerboseLogfile != 0};
}

RuleFilterOptions RuleFilterOptionsOf(const Settings& settings) {
  return RuleFilterOptions{settings.RegExpPath, settings.VerboseLogfile != 0, kRulePassBudgetMs};
}

DnsCacheOptions DnsCacheOptionsOf(const Settings& settings) { return DnsCacheOptions{settings.VerboseLogfile != 0}; }

DnsCheckOptions DnsCheckOptionsOf(const Settings& settings) {
  return DnsCheckOptions{settings.DNSServerlist, settings.DNSBlacklistSpamCount, settings.MaxThreadCount,
                         settings.VerboseLogfile != 0};
}

}  // namespace trellisk
