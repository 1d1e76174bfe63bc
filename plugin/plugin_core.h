// PluginCore is everything behind the TBP_ exports: it owns the settings, the
// texts, the log and every store, runs the start-up and shutdown sequences,
// and serves the host's scoring, training, setup and macro calls. The
// library holds one process-wide instance (see exports.cpp); tests make
// their own with an in-memory registry and a file system of their choice.
//
// Lifecycle: constructed -> Initialize -> (host calls) -> Finalize, and
// again. The host calls Initialize and Finalize from one thread while no
// other call runs; every other operation may be called from several host
// threads at once between them, and is safe (and does nothing harmful)
// outside them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/language_resources.h"
#include "base/log.h"
#include "base/text_source.h"
#include "platform/dns_resolver.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/progress_window.h"
#include "platform/registry.h"
#include "platform/sync.h"
#include "plugin/learners.h"
#include "plugin/scan_report.h"
#include "plugin/tbp_api.h"

namespace trellisk {

class PluginCore;
struct Session;
struct Settings;

// What the core takes from its surroundings; tests replace any of it.
struct CoreServices {
  platform::Registry& registry;
  platform::FileSystem& files;
  platform::MessageBoxes& boxes;
  // The plug-in's own library file: its language file and DNS cache lie
  // next to it.
  std::string modulePath;
  // Pauses of the shutdown sequence.
  std::function<void(uint32_t milliseconds)> sleep;
  // Starts the name resolver of the DNS blacklist checks for a session;
  // the system's resolver when empty.
  std::function<std::unique_ptr<platform::DnsResolver>()> startResolver;
  // Calendar time in seconds since 1970; the system's clock when empty.
  std::function<uint32_t()> clock = {};
  // How long start-up waits for the stores that another instance holds
  // before this one runs read-only.
  uint32_t storeLockWaitMs = 30000;
  // Told, one line each, what the host should know besides the log: that
  // the stores are read-only, that a store could not be saved.
  std::function<void(const std::string& line)> notifyHost = {};
  // The scan report's one-second cycle; WaitReportCycle when empty.
  ReportCycleWait reportCycleWait = {};
  // Makes the scan report's window on the report thread; the system's when
  // empty.
  std::function<std::unique_ptr<platform::ProgressWindow>()> makeProgressWindow = {};
  // Shows the setup dialog of the running session; 1 when it ran, 0 when it
  // failed. It calls `showTrainingWarning` first, once, where the user sees
  // the box (a terminal dialog, say, once it owns the screen). No dialog
  // when empty.
  std::function<int(PluginCore& core, std::shared_ptr<Session> session, const std::function<void()>& showTrainingWarning)>
      runSetupDialog = {};
};

class PluginCore {
 public:
  explicit PluginCore(CoreServices services);
  ~PluginCore();
  PluginCore(const PluginCore&) = delete;
  PluginCore& operator=(const PluginCore&) = delete;

  // The start-up sequence: settings, texts, log, then every store.
  void Initialize();
  // Puts a language of the language file in effect (0: the own texts); true
  // when it is afterwards. A failure is logged, and the own texts serve.
  bool SwitchLanguage(uint32_t language);
  // The shutdown sequence: refuse training, end the scan report, wait for
  // learners, compress and save every store, save the settings, cut the
  // log, release everything. A scan report ends without its final box;
  // shutdown waits for its thread at most kReportStopWaitMs.
  void Finalize();

  // TBP_Setup: the training warning, then the setup dialog. Always 0.
  int Setup();
  // TBP_GetSpamScore: the message's spam score, 0 (ham) to 100 (spam).
  int GetSpamScore(MessageHandle message, PropertyReader reader);
  // TBP_FeedSpam: trains the message as spam or ham. Always 0.
  int FeedSpam(MessageHandle message, int isSpam, PropertyReader reader);
  // TBP_ExecMacro: expands a macro into the host's sink; 0, 1 or 2.
  int ExecMacro(const char* name, int count, MacroSink* sink);

  // Problems the platform met (a damaged registry hive set aside, say); they
  // reach the log as soon as it is open.
  void ReportPlatformProblem(const std::string& problem);

  bool ShutdownRequested() const { return shutdownRequested_; }
  uint32_t ActiveLearners() { return learners_.Active(); }
  // Training requests since the last scan report; whether one came lately;
  // whether the report thread runs.
  uint32_t FeedCount() const { return report_.count(); }
  bool FeedActivity() const { return report_.activity(); }
  bool ReportRunning() const { return report_.running(); }

  Log& log() { return log_; }
  // The running session (settings and stores); null outside one.
  std::shared_ptr<Session> session() const { return session_.load(); }
  // The text source every user-visible text is loaded from.
  const TextSource& texts() const { return *resourceModule_.load(); }
  // The current resource module: texts and dialog templates.
  const ResourceModule& resources() const { return languages_.Current(); }

 private:
  Settings LoadSettings(Session& session);
  // True when this instance had to wait for another one's stores.
  bool TakeStoreLock(Session& session, const std::string& databasePath);
  void NotifyHost(const std::string& line);
  void WaitForLearners();
  void CompressStoresWhenDue(Session& session);
  void SaveStores(Session& session);
  void WritePlatformProblems();
  // Indexes the language file beside the library and selects `language`;
  // what went wrong is logged once the log is open.
  void SelectLanguage(uint32_t language);
  std::string LanguageFilePath() const;

  CoreServices services_;
  LanguageResources languages_;
  std::atomic<const TextSource*> resourceModule_{&languages_};
  Log log_;

  std::atomic<bool> shutdownRequested_{false};
  Learners learners_;
  // Declared after the log it writes to, so that it stops before the log goes.
  ScanReport report_;

  std::mutex problemsMutex_;
  std::vector<std::string> platformProblems_;

  std::atomic<std::shared_ptr<Session>> session_;
};

}  // namespace trellisk
