// Session is everything of the plug-in that lives from TBP_Initialize to
// TBP_Finalize: the published settings and the detection counters, every
// store and the rule-based checks (lists, rule filter, DNS blacklists with
// the resolver they use), with the log, the texts, the message boxes and
// the learner count that outlive it. Scoring calls and learning threads
// work on it; a learning thread holds it (shared ownership), so a thread
// that outlasts the shutdown wait never finds the stores destroyed.
//
// Thread-safety: the stores and the checks lock themselves. Each scoring
// call and learning thread takes one settings snapshot when it starts and
// works with it alone; ChangeSettings publishes a new snapshot and hands
// every store and check its new options, and may run while calls score.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "base/log.h"
#include "base/published.h"
#include "base/text_source.h"
#include "dnsbl/dns_blacklist.h"
#include "lists/black_whitelist.h"
#include "platform/dns_resolver.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "plugin/detection_counters.h"
#include "plugin/host_integration.h"
#include "plugin/learners.h"
#include "plugin/settings.h"
#include "plugin/settings_registry.h"
#include "rules/regexp_filter.h"
#include "store/bayes_database.h"
#include "store/undo_database.h"

namespace trellisk {

// What a session takes from the core; everything must outlive the session.
struct SessionServices {
  platform::Registry& registry;
  platform::FileSystem& files;
  platform::MessageBoxes& boxes;
  Log& log;
  Learners& learners;
  const std::atomic<const TextSource*>& resourceModule;
  // Calendar time in seconds since 1970.
  std::function<uint32_t()> clock;
  // The directory of the plug-in's own file, where the DNS cache lies.
  std::string moduleDirectory;
};

// The files the setup dialog can move a store to.
enum class StoreFile { kWordDatabase, kUndoDatabase, kWhitelist, kBlacklist, kRuleFilter, kLogfile };

struct Session {
  // The stores start with the options of `initial`.
  Session(const SessionServices& services, std::unique_ptr<platform::DnsResolver> resolver, const Settings& initial);

  // The settings snapshot of a call that starts now.
  std::shared_ptr<const Settings> CurrentSettings() const { return settings.Current(); }
  // Applies `change` to a copy of the current settings, publishes it and
  // hands every store and check the options of the new snapshot.
  void ChangeSettings(const std::function<void(Settings&)>& change);
  // Sets the path of `file` and moves its store there at once: the store
  // saves to its old file and loads the new one under its own lock before
  // the new settings are published, so every call sees the old store or
  // the new one. The log keeps writing its open file until the next start.
  // False, with the path unchanged, when the store could not save to its
  // old file.
  bool MoveStore(StoreFile file, const std::string& path);

  // The text source every user-visible text is loaded from now.
  const TextSource& texts() const { return *resourceModule.load(); }

  Log& log;
  Learners& learners;
  platform::MessageBoxes& boxes;
  const std::atomic<const TextSource*>& resourceModule;
  const std::function<uint32_t()> clock;
  const std::unique_ptr<platform::DnsResolver> resolver;

  Published<Settings> settings;
  DetectionCounters counters;
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

  // The lock on the stores' directory (store_lock.h), held to shutdown.
  std::unique_ptr<platform::FileLock> storeLock;
  // Another instance holds the stores: score with what was loaded, learn
  // and save nothing. Set before the session serves any call.
  bool readOnly = false;

 private:
  void HandOutOptions(const Settings& settings);
  bool MoveStoreTo(StoreFile file, const Settings& next);

  std::mutex changeMutex_;
};

}  // namespace trellisk
