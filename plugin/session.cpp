#include "plugin/session.h"

#include "plugin/component_options.h"

namespace trellisk {

Session::Session(const SessionServices& services, std::unique_ptr<platform::DnsResolver> dnsResolver,
                 const Settings& initial)
    : log(services.log),
      learners(services.learners),
      boxes(services.boxes),
      resourceModule(services.resourceModule),
      clock(services.clock),
      resolver(std::move(dnsResolver)),
      settings(initial),
      host(services.registry, services.files, services.log),
      settingsRegistry(services.registry, host, services.log),
      database(WordDatabaseOptionsOf(initial), services.log, services.files),
      undo(UndoOptionsOf(initial), services.log, services.files, services.clock),
      blackWhitelist(ListOptionsOf(initial), services.log, services.files, services.resourceModule, services.boxes),
      dnsBlacklist(DnsCacheOptionsOf(initial), services.log, services.files, *resolver, services.moduleDirectory,
                   services.resourceModule, services.boxes, services.clock),
      regExpFilter(RuleFilterOptionsOf(initial), services.log, services.files) {}

void Session::ChangeSettings(const std::function<void(Settings&)>& change) {
  // One change at a time, so the stores end with the options of the
  // snapshot published last.
  std::lock_guard<std::mutex> lock(changeMutex_);
  const std::shared_ptr<const Settings> changed = settings.Update(change);
  HandOutOptions(*changed);
}

bool Session::MoveStore(StoreFile file, const std::string& path) {
  static constexpr std::string Settings::* kPaths[] = {&Settings::DatabasePath, &Settings::UndodataPath,
                                                       &Settings::WhitelistPath, &Settings::BlacklistPath,
                                                       &Settings::RegExpPath, &Settings::LogfilePath};
  if (readOnly) return false;
  std::lock_guard<std::mutex> lock(changeMutex_);
  bool moved = false;
  const std::shared_ptr<const Settings> changed = settings.Update([&](Settings& next) {
    const std::string old = next.*kPaths[static_cast<int>(file)];
    next.*kPaths[static_cast<int>(file)] = path;
    moved = MoveStoreTo(file, next);
    if (!moved) next.*kPaths[static_cast<int>(file)] = old;
  });
  HandOutOptions(*changed);
  return moved;
}

bool Session::MoveStoreTo(StoreFile file, const Settings& next) {
  switch (file) {
    case StoreFile::kWordDatabase:
      return database.MoveTo(WordDatabaseOptionsOf(next));
    case StoreFile::kUndoDatabase:
      return undo.MoveTo(UndoOptionsOf(next));
    case StoreFile::kWhitelist:
      return blackWhitelist.MoveTo(kWhitelist, ListOptionsOf(next));
    case StoreFile::kBlacklist:
      return blackWhitelist.MoveTo(kBlacklist, ListOptionsOf(next));
    case StoreFile::kRuleFilter:
      // The rules in force stay until the new file's are ready.
      regExpFilter.SetOptions(RuleFilterOptionsOf(next));
      regExpFilter.Load();
      return true;
    case StoreFile::kLogfile:
      return true;
  }
  return false;
}

void Session::HandOutOptions(const Settings& current) {
  database.SetOptions(WordDatabaseOptionsOf(current));
  undo.SetOptions(UndoOptionsOf(current));
  blackWhitelist.SetOptions(ListOptionsOf(current));
  dnsBlacklist.SetCacheOptions(DnsCacheOptionsOf(current));
  regExpFilter.SetOptions(RuleFilterOptionsOf(current));
}

}  // namespace trellisk
