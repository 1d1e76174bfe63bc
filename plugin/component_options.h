// The options of every component, filled from one settings snapshot: each
// component takes only the fields it uses, so a snapshot handed down whole
// stays the one place the configuration lives. Pure functions; thread-safe.
#pragma once

#include "classifier/bayes_filter.h"
#include "dnsbl/dns_blacklist_check.h"
#include "dnsbl/dns_cache.h"
#include "lists/black_whitelist.h"
#include "parser/mail_parser.h"
#include "plugin/settings.h"
#include "rules/regexp_filter.h"
#include "store/bayes_database.h"
#include "store/undo_database.h"

namespace trellisk {

ParserOptions ParserOptionsOf(const Settings& settings);
ClassifierOptions ClassifierOptionsOf(const Settings& settings);
WordDatabaseOptions WordDatabaseOptionsOf(const Settings& settings);
UndoOptions UndoOptionsOf(const Settings& settings);
ListOptions ListOptionsOf(const Settings& settings);
RuleFilterOptions RuleFilterOptionsOf(const Settings& settings);
DnsCacheOptions DnsCacheOptionsOf(const Settings& settings);
DnsCheckOptions DnsCheckOptionsOf(const Settings& settings);

}  // namespace trellisk
