#include "plugin/plugin_core.h"

#include <algorithm>

#include "base/ascii.h"
#include "base/exception_report.h"
#include "base/path_text.h"
#include "base/text_format.h"
#include "platform/clock.h"
#include "plugin/learning.h"
#include "plugin/macro.h"
#include "plugin/scoring_pipeline.h"
#include "plugin/session.h"
#include "plugin/settings.h"
#include "plugin/store_lock.h"
#include "plugin/training_warning.h"

namespace trellisk {
namespace {

constexpr uint32_t kLearnerWaitMs = 300000;  // 300 seconds
constexpr uint32_t kFeedPollMs = 50;
constexpr uint32_t kUndoMaxAgeSeconds = 2592000;  // 30 days
constexpr int kNeutralScore = 50;

// The system's services in place of those left empty.
CoreServices WithDefaults(CoreServices services) {
  if (!services.startResolver) services.startResolver = platform::StartResolver;
  if (!services.clock) services.clock = platform::CalendarTimeSeconds;
  if (!services.reportCycleWait) services.reportCycleWait = WaitReportCycle;
  if (!services.makeProgressWindow) services.makeProgressWindow = platform::MakeSystemProgressWindow;
  return services;
}

}  // namespace

PluginCore::PluginCore(CoreServices services)
    : services_(WithDefaults(std::move(services))),
      languages_(OwnResourceModule(), std::string(DirectoryOf(services_.modulePath))),
      log_(&languages_, services_.files),
      report_({services_.boxes, log_, services_.reportCycleWait, services_.makeProgressWindow}) {}

PluginCore::~PluginCore() = default;

void PluginCore::ReportPlatformProblem(const std::string& problem) {
  {
    std::lock_guard<std::mutex> lock(problemsMutex_);
    platformProblems_.push_back(problem);
  }
  if (log_.IsOpen()) WritePlatformProblems();
}

void PluginCore::WritePlatformProblems() {
  std::vector<std::string> problems;
  {
    std::lock_guard<std::mutex> lock(problemsMutex_);
    problems.swap(platformProblems_);
  }
  for (const std::string& problem : problems) log_.PlainLine(problem);
}

void PluginCore::Initialize() {
  GuardedCall(log_, "DODozev::TBP_Initialize", [&] {
    if (session_.load()) return;
    shutdownRequested_ = false;
    const SessionServices sessionServices{services_.registry, services_.files, services_.boxes, log_, learners_,
                                          resourceModule_, services_.clock,
                                          std::string(DirectoryOf(services_.modulePath))};
    auto session = std::make_shared<Session>(sessionServices, services_.startResolver(), Settings{});
    Settings settings = LoadSettings(*session);
    SelectLanguage(settings.Language);
    log_.Open(settings.LogfilePath, false);
    WritePlatformProblems();
    // What another instance saved while this one waited is read afresh.
    if (TakeStoreLock(*session, settings.DatabasePath)) settings = LoadSettings(*session);
    session->database.Load();
    session->undo.Load();
    session->blackWhitelist.Load(kBothLists);
    session->dnsBlacklist.Load();
    if (settings.RuleFilterActive()) session->regExpFilter.Load();
    session_ = std::move(session);
  });
}

std::string PluginCore::LanguageFilePath() const {
  const std::string& module = services_.modulePath;
  const size_t dot = module.rfind('.');
  const size_t slash = module.find_last_of("/\\");
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? module.substr(0, dot) : module) + ".lng";
}

void PluginCore::SelectLanguage(uint32_t language) {
  const std::string path = LanguageFilePath();
  std::string damage;
  const bool opened = languages_.Open(services_.files, path, damage);
  std::string problem;
  const bool selected = language == 0 || (opened && languages_.Switch(language, problem));
  // One line says why: the file's damage when there is any, else the switch's.
  // Without a language to select, a missing file is no problem.
  if (!selected) {
    ReportPlatformProblem(FormatText(texts().Load(kTextLanguageFileUnusable), {path, damage.empty() ? problem : damage}));
  } else if (opened && !damage.empty()) {
    ReportPlatformProblem(FormatText(texts().Load(kTextLanguageFileDamaged), {path, damage}));
  }
}

bool PluginCore::SwitchLanguage(uint32_t language) {
  std::string problem;
  if (languages_.Switch(language, problem)) return true;
  ReportPlatformProblem(FormatText(texts().Load(kTextLanguageFileUnusable), {LanguageFilePath(), problem}));
  return false;
}

Settings PluginCore::LoadSettings(Session& session) {
  Settings settings;
  session.settingsRegistry.Load(settings, session.counters);
  session.ChangeSettings([&](Settings& current) { current = settings; });
  return settings;
}

bool PluginCore::TakeStoreLock(Session& session, const std::string& databasePath) {
  const std::string lockPath = StoreLockPath(databasePath);
  const std::string_view directory = DirectoryOf(lockPath);
  const std::string where = directory.empty() ? "." : std::string(directory);
  const auto announceWait = [&] {
    const std::string seconds = std::to_string(services_.storeLockWaitMs / 1000);
    log_.PlainLine(FormatText(texts().Load(kTextWaitingForStores), {where, seconds}));
  };
  StoreLockAttempt attempt = LockStores(lockPath, services_.storeLockWaitMs, services_.sleep, announceWait);
  if (attempt.lock) {
    session.storeLock = std::move(attempt.lock);
    return attempt.waited;
  }
  session.readOnly = true;
  const std::string line = attempt.error.empty()
                               ? FormatText(texts().Load(kTextStoresInUse), {where})
                               : FormatText(texts().Load(kTextStoresNotLocked), {where, attempt.error});
  log_.PlainLine(line);
  NotifyHost(line);
  return false;
}

void PluginCore::Finalize() {
  GuardedCall(log_, "DODozev::TBP_Finalize", [&] {
    const std::shared_ptr<Session> session = session_.load();
    if (!session) return;
    shutdownRequested_ = true;
    report_.Stop(kReportStopWaitMs);
    WaitForLearners();
    const uint32_t saveDelay = session->CurrentSettings()->SaveDelay;
    if (saveDelay != 0) services_.sleep(saveDelay * 1000);
    // A read-only instance leaves the files to the one that holds them.
    if (!session->readOnly) {
      CompressStoresWhenDue(*session);
      SaveStores(*session);
      const std::shared_ptr<const Settings> settings = session->CurrentSettings();
      if (!session->settingsRegistry.Save(*settings, session->counters)) {
        log_.TextLine(kTextSettingsStoreFailed);
        NotifyHost(texts().Load(kTextSettingsStoreFailed));
      }
      log_.CutToSize(settings->MaxSizeOfLogfile);
    }
    log_.Close();
    session->storeLock.reset();
    session_.store(nullptr);
    languages_.Release();
  });
}

void PluginCore::NotifyHost(const std::string& line) {
  if (services_.notifyHost) services_.notifyHost(line);
}

void PluginCore::WaitForLearners() { learners_.WaitUntilIdle(kLearnerWaitMs); }

void PluginCore::CompressStoresWhenDue(Session& session) {
  const std::shared_ptr<const Settings> settings = session.CurrentSettings();
  if (settings->RunCount < settings->CompressDatabase) return;
  session.database.Compress(settings->CompressIfCountBelow);
  session.undo.Compress(kUndoMaxAgeSeconds);
  session.ChangeSettings([](Settings& changed) { changed.RunCount = 0; });
}

void PluginCore::SaveStores(Session& session) {
  session.regExpFilter.Close();
  const std::pair<bool, TextId> results[] = {
      {session.blackWhitelist.Close(), kTextListsStoreFailed},
      {session.dnsBlacklist.Close(), kTextDnsCacheStoreFailed},
      {session.undo.Save() || session.CurrentSettings()->UndodataPath.empty(), kTextUndoDatabaseStoreFailed},
      {session.database.Close(), kTextWordDatabaseStoreFailed},
  };
  for (const auto& [saved, failure] : results) {
    if (!saved) NotifyHost(texts().Load(failure));
  }
}

int PluginCore::Setup() {
  GuardedCall(log_, "DODozev::TBP_Setup", [&] {
    const std::shared_ptr<Session> session = session_.load();
    if (!session) return;
    const std::optional<TrainingWarning> warning =
        TrainingWarningFor(session->database.spamMessages, session->database.hamMessages);
    const auto showTrainingWarning = [&] {
      if (!warning) return;
      services_.boxes.Show(texts().Load(warning->caption), texts().Load(warning->text),
                           platform::MessageBoxIcon::Information);
    };
    if (services_.runSetupDialog) {
      services_.runSetupDialog(*this, session, showTrainingWarning);
    } else {
      showTrainingWarning();
    }
  });
  return 0;
}

int PluginCore::GetSpamScore(MessageHandle message, PropertyReader reader) {
  const std::shared_ptr<Session> session = session_.load();
  if (!session) return kNeutralScore;
  return ScoreMessage(session, message, reader);
}

int PluginCore::FeedSpam(MessageHandle message, int isSpam, PropertyReader reader) {
  GuardedCall(log_, "DODozev::TBP_FeedSpam", [&] {
    const std::shared_ptr<Session> session = session_.load();
    if (!session || shutdownRequested_ || session->readOnly) return;
    report_.NoteActivity();
    const std::shared_ptr<const Settings> settings = session->CurrentSettings();
    const uint32_t limit = std::max<uint32_t>(settings->MaxThreadCount, 1);
    while (!learners_.TryReserve(limit)) {
      services_.sleep(kFeedPollMs);
      report_.NoteActivity();
    }
    report_.CountRequest(settings->DoNotReportBelow, texts());
    StartLearningThread(session, isSpam != 0, message, reader);
  });
  return 0;
}

int PluginCore::ExecMacro(const char* name, int count, MacroSink* sink) {
  return GuardedCall(log_, "DODozev::TBP_ExecMacro", 0, [&] {
    if (count < 1 || name == nullptr || sink == nullptr) return 0;
    const std::shared_ptr<Session> session = session_.load();
    std::string text;
    int number = 0;
    if (EqualsIgnoreCase(name, kVersionMacro)) {
      text = GetSpamFilterVersion();
      number = kVersionMacroNumber;
    } else if (EqualsIgnoreCase(name, kStatisticMacro) && session) {
      text = CMacro(session->counters, texts(), log_)
                 .GetSpamFilterStatistic(session->database.spamMessages, session->database.hamMessages);
      number = kStatisticMacroNumber;
    } else {
      return 0;
    }
    sink->operations->receive(sink, number, text.c_str(), static_cast<int>(text.size()));
    return number;
  });
}

}  // namespace trellisk
