// Session is everything of the plug-in that lives from TBP_Initialize to
// TBP_Finalize: the settings record, every store and the rule-based checks
// (lists, rule filter, DNS blacklists with the resolver they use), with the
// log, the texts and the learner count that outlive it. Scoring calls and learning threads
// work on it; a learning thread holds it (shared ownership), so a thread
// that outlasts the shutdown wait never finds the stores destroyed.
//
// Thread-safety: the stores and the checks lock themselves; the settings are written only at start-up and by the
// setup dialog.
#pragma once

#include <atomic>
#include <memory>

#include "checks/black_whitelist.h"
#include "checks/dns_blacklist.h"
#include "checks/regexp_filter.h"
#include "platform/dns_resolver.h"
#include "platform/file_system.h"
#include "plugin/host_integration.h"
#include "plugin/learners.h"
#include "plugin/log.h"
#include "plugin/settings.h"
#include "plugin/settings_registry.h"
#include "plugin/text_source.h"
#include "store/bayes_database.h"
#include "store/undo_database.h"

namespace trellisk {

struct Session {
  // The DNS cache lies in `moduleDirectory`, beside the plug-in's file.
  Session(platform::Registry& registry, platform::FileSystem& files, Log& log, Learners& learners,
          const std::atomic<const TextSource*>& resourceModule, std::unique_ptr<platform::DnsResolver> resolver,
          const std::string& moduleDirectory)
      : log(log),
        learners(learners),
        resourceModule(resourceModule),
        resolver(std::move(resolver)),
        host(registry, files, log),
        settingsRegistry(registry, host, log),
        database(settings, log, files),
        undo(settings, log, files),
        blackWhitelist(settings, log, files, resourceModule),
        dnsBlacklist(settings, log, files, *this->resolver, moduleDirectory, resourceModule),
        regExpFilter(settings, log, files) {}

  // The text source every user-visible text is loaded from now.
  const TextSource& texts() const { return *resourceModule.load(); }

  Log& log;
  Learners& learners;
  const std::atomic<const TextSource*>& resourceModule;
  const std::unique_ptr<platform::DnsResolver> resolver;

  Settings settings;
  HostIntegration host;
  SettingsRegistry settingsRegistry;
  CBayesDatabase database;
  CUndo undo;
  CBlackWhitelist blackWhitelist;
  CDNSBlacklist dnsBlacklist;
  CRegExpFilter regExpFilter;
  // The checks as scoring and training use them; tests may put others in
  // their place (or null: no check) before any message arrives.
  SenderLists* lists = &blackWhitelist;
  RuleFilter* ruleFilter = &regExpFilter;
  DnsBlacklistCheck* dns = &dnsBlacklist;
};

}  // namespace trellisk
