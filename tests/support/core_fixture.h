// CoreFixture runs a PluginCore in the test process the way the host runs
// the plug-in: an in-memory registry that holds the host's key (program and
// working directory = a fresh temporary directory), a tbplugin.ini there,
// the real file system, and messages served through the host's
// PropertyReader. Sleeps of the core are recorded (and shortened) so that
// shutdown pauses can be checked without waiting; the scan report's cycles
// and window are the system's unless a test puts its own in their place.
//
// Also: a small builder for test messages, and fakes of the rule-based
// checks that record how the core used them.
//
// One fixture per test; the core may be used from several threads.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dnsbl/dns_blacklist_check.h"
#include "dnsbl/testing/fake_resolver.h"
#include "lists/sender_lists.h"
#include "platform/memory_registry.h"
#include "platform/progress_window.h"
#include "plugin/plugin_core.h"
#include "plugin/scan_report.h"
#include "plugin/session.h"
#include "rules/rule_filter.h"
#include "tests/support/temp_directory.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk::testing {

// A message with these header fields and body, lines ended by CR LF.
struct TestMail {
  std::string from = "Sender <sender@example.com>";
  std::string to = "you@example.org";
  std::string subject = "Hello";
  std::string messageId;
  std::vector<std::string> extraHeaders;
  std::string body = "Hello world";

  std::string Text() const;
};

class CoreFixture : public ::testing::Test {
 protected:
  CoreFixture();
  ~CoreFixture() override;

  // Registry values the core reads at start-up, as a previous run left them.
  void SetSetting(const char* name, uint32_t value);
  void SetTextSetting(const char* name, const std::string& value);
  std::optional<uint32_t> StoredSetting(const char* name);

  void Start() { core_->Initialize(); }
  void Stop() { core_->Finalize(); }
  Session& session() { return *core_->session(); }
  // The session's settings as every call that starts now sees them.
  const Settings& settings() { return *session().CurrentSettings(); }
  // Publishes a change of the session's settings, as the setup dialog does.
  void ChangeSettings(const std::function<void(Settings&)>& change) { session().ChangeSettings(change); }
  DetectionCounters& counters() { return session().counters; }

  int Score(const std::string& text);
  void Train(const std::string& text, bool spam);
  // Waits until no learning thread runs any more.
  void WaitForLearners();

  // The log file's text so far (the log is closed and opened again, so that
  // everything written is in the file).
  std::string LogText();

  // Sleeps the core asked for, in milliseconds.
  std::vector<uint32_t> Sleeps();

  TempDirectory dir_;
  platform::MemoryRegistry registry_;
  TestMessageBoxes messageBoxes_;
  std::unique_ptr<PluginCore> core_;

  // The name resolver of the running session: answers only what a test
  // lists in it.
  FakeResolver* resolver_ = nullptr;

  std::mutex sleepsMutex_;
  std::vector<uint32_t> sleeps_;
  // Called for every sleep of the core before it (briefly) sleeps.
  std::function<void(uint32_t)> onSleep_;

  // The scan report's cycle wait and window; a test may replace them
  // before it trains.
  ReportCycleWait reportCycleWait_ = WaitReportCycle;
  std::function<std::unique_ptr<platform::ProgressWindow>()> makeProgressWindow_ = platform::MakeSystemProgressWindow;
};

// Sender lists that list the texts given to them, and record insertions.
class FakeSenderLists : public SenderLists {
 public:
  void List(const std::string& text, ListEntryKind kind) { entries_.push_back({text, kind}); }

  bool CheckBlackWhitelist(ListMatch& record, std::string_view text, bool reset) override;
  bool Add(std::string_view text, ListEntryKind kind, uint32_t sequence) override;
  bool Remove(std::string_view text, ListEntryKind kind) override;
  uint32_t blackCount() override;
  uint32_t whiteCount() override;

  struct Entry {
    std::string text;
    ListEntryKind kind;
  };
  std::vector<Entry> entries_;
  bool throwOnAdd_ = false;
  std::vector<Entry> added_;
  std::vector<Entry> removed_;
  std::mutex mutex_;
};

// A rule filter that returns a fixed total.
class FakeRuleFilter : public RuleFilter {
 public:
  explicit FakeRuleFilter(float total) : total_(total) {}
  RuleFilterResult ScoreMail(const RuleFilterInput& input) override;

  float total_;
  int calls_ = 0;
  std::string lastRawHeader;
  std::string lastRawBody;
  size_t lastSize = 0;
};

// A DNS checker with a fixed verdict, recording cache removals.
class FakeDnsCheck : public DnsBlacklistCheck {
 public:
  explicit FakeDnsCheck(bool listed) : listed_(listed) {}
  DnsVerdict CheckDNSBlacklists(LogBlockKey logKey, const std::vector<std::string>& relays,
                                const DnsCheckOptions& options) override;
  bool Remove(const std::string& address) override;

  bool listed_;
  std::atomic<int> calls_{0};
  std::vector<std::string> removed_;
  std::mutex mutex_;
};

}  // namespace trellisk::testing
