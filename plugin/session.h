// Session is everything of the plug-in that lives from TBP_Initialize to
// TBP_Finalize: the settings record and every store, with the log, the texts
// and the learner count that outlive it. Scoring calls and learning threads
// work on it; a learning thread holds it (shared ownership), so a thread
// that outlasts the shutdown wait never finds the stores destroyed.
//
// Thread-safety: the stores and the checks lock themselves; the settings are written only at start-up and by the
// setup dialog.
#pragma once

#include <atomic>
#include <memory>

#include "checks/dns_blacklist_check.h"
#include "checks/rule_filter.h"
#include "checks/sender_lists.h"
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
  Session(platform::Registry& registry, platform::FileSystem& files, Log& log, Learners& learners,
          const std::atomic<const TextSource*>& resourceModule)
      : log(log),
        learners(learners),
        resourceModule(resourceModule),
        host(registry, files, log),
        settingsRegistry(registry, host, log),
        database(settings, log, files),
        undo(settings, log, files) {}

  // The text source every user-visible text is loaded from now.
  const TextSource& texts() const { return *resourceModule.load(); }

  Log& log;
  Learners& learners;
  const std::atomic<const TextSource*>& resourceModule;

  Settings settings;
  HostIntegration host;
  SettingsRegistry settingsRegistry;
  CBayesDatabase database;
  CUndo undo;
  // The rule-based checks; null until the plug-in has them.
  SenderLists* lists = nullptr;
  RuleFilter* ruleFilter = nullptr;
  DnsBlacklistCheck* dns = nullptr;
};

}  // namespace trellisk
