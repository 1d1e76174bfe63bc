// The TBP_ exports: thin C entry points onto the process-wide PluginCore,
// which shows its setup dialog through the user interface of this layer.
// No exception crosses this boundary; every export that can fail catches
// inside the core.
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/dns_resolver.h"
#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/registry.h"
#include "platform/report_file.h"
#include "platform/threads.h"
#include "plugin/plugin_core.h"
#include "plugin/settings.h"
#include "plugin/tbp_api.h"
#include "plugin/text_copy.h"
#include "ui/setup_front_end.h"

namespace trellisk {
namespace {

constexpr const char* kMacroList = "SPAMFILTERVERSION\nSPAMFILTERSTATISTIC";
constexpr uint32_t kStoreLockWaitMs = 30000;

// How long start-up waits for stores another instance holds: 30 s, or the
// seconds that TRELLISK_STORE_LOCK_WAIT names (for tests).
uint32_t StoreLockWaitMs() {
  const std::optional<std::string> seconds = platform::EnvironmentVariable("TRELLISK_STORE_LOCK_WAIT");
  if (!seconds || seconds->empty()) return kStoreLockWaitMs;
  return static_cast<uint32_t>(std::strtoul(seconds->c_str(), nullptr, 10) * 1000);
}

// The plug-in's process-wide state: the system registry and the core, made
// on the first call into the library and kept until it is unloaded.
class ProcessPlugin {
 public:
  ProcessPlugin()
      : registry_(platform::OpenSystemRegistry([this](const std::string& problem) {
          if (core_) core_->ReportPlatformProblem(problem);
        })),
        core_(std::make_unique<PluginCore>(CoreServices{
            *registry_, platform::DefaultFileSystem(), platform::SystemMessageBoxes(), platform::OwnModulePath(),
            platform::SleepMilliseconds, platform::StartResolver, platform::CalendarTimeSeconds, StoreLockWaitMs(),
            [](const std::string& line) { platform::AppendToReportFile("TRELLISK_HOST_REPORT", line); },
            {}, {}, ui::RunSetupFrontEnd})) {}

  PluginCore& core() { return *core_; }

 private:
  std::unique_ptr<platform::Registry> registry_;
  std::unique_ptr<PluginCore> core_;
};

PluginCore& Core() {
  static ProcessPlugin plugin;
  return plugin.core();
}

}  // namespace
}  // namespace trellisk

using trellisk::Core;

TBP_EXPORT void TBP_CALL TBP_Initialize(void) { Core().Initialize(); }

TBP_EXPORT void TBP_CALL TBP_Finalize(void) { Core().Finalize(); }

TBP_EXPORT int TBP_CALL TBP_GetName(char* buffer, int size) {
  return trellisk::CopyTextForHost(trellisk::kProductName, buffer, size);
}

TBP_EXPORT int TBP_CALL TBP_GetVersion(char* buffer, int size) {
  return trellisk::CopyTextForHost(trellisk::kProductVersion, buffer, size);
}

TBP_EXPORT int TBP_CALL TBP_GetStatus(void) { return 0; }

TBP_EXPORT int TBP_CALL TBP_NeedCOM(void) { return 0; }

TBP_EXPORT int TBP_CALL TBP_NeedConfig(void) { return 1; }

TBP_EXPORT int TBP_CALL TBP_Setup(void) { return Core().Setup(); }

TBP_EXPORT int TBP_CALL TBP_GetSpamScore(MessageHandle message, PropertyReader reader) {
  return Core().GetSpamScore(message, reader);
}

TBP_EXPORT int TBP_CALL TBP_FeedSpam(MessageHandle message, int isSpam, PropertyReader reader) {
  return Core().FeedSpam(message, isSpam, reader);
}

TBP_EXPORT int TBP_CALL TBP_GetMacroList(char* buffer, int size) {
  return trellisk::CopyTextForHost(trellisk::kMacroList, buffer, size);
}

TBP_EXPORT int TBP_CALL TBP_ExecMacro(const char* name, int count, MacroSink* sink, void* /*unused*/) {
  return Core().ExecMacro(name, count, sink);
}
