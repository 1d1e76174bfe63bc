#include "tests/support/core_fixture.h"

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "base/ascii.h"
#include "base/substring_search.h"
#include "host/message_table.h"
#include "plugin/host_integration.h"
#include "plugin/settings_registry.h"

namespace trellisk::testing {

using platform::RegistryHive;
using platform::RegistryValue;

std::string TestMail::Text() const {
  std::string text;
  if (!from.empty()) text += "From: " + from + "\r\n";
  if (!to.empty()) text += "To: " + to + "\r\n";
  if (!subject.empty()) text += "Subject: " + subject + "\r\n";
  if (!messageId.empty()) text += "Message-ID: <" + messageId + ">\r\n";
  for (const std::string& header : extraHeaders) text += header + "\r\n";
  text += "\r\n" + body + "\r\n";
  return text;
}

CoreFixture::CoreFixture() {
  auto host = registry_.Create(RegistryHive::CurrentUser, kHostRegistryKey);
  host->Write("ProgramDir", RegistryValue::String(dir_.path() + "/"));
  host->Write("Working Directory", RegistryValue::String(dir_.path()));
  WriteFileBytes(dir_.File("tbplugin.ini"), "Junk=1\nJunkScore=90\n");
  // As after a first run: the keys exist, so the paths lie in the directory.
  registry_.Create(RegistryHive::LocalMachine, kStatisticsKey);
  registry_.Create(RegistryHive::LocalMachine, kSettingsKey);
  auto sleep = [this](uint32_t milliseconds) {
    {
      std::lock_guard<std::mutex> lock(sleepsMutex_);
      sleeps_.push_back(milliseconds);
    }
    if (onSleep_) onSleep_(milliseconds);
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds == 50 ? 5 : 1));
  };
  CoreServices services{registry_, platform::DefaultFileSystem(), messageBoxes_, dir_.File("trellisk.tbp"), sleep,
                        [this] {
                          auto resolver = std::make_unique<FakeResolver>();
                          resolver_ = resolver.get();
                          return resolver;
                        },
                        nullptr};
  services.reportCycleWait = [this](std::stop_token stop, uint32_t milliseconds) {
    reportCycleWait_(std::move(stop), milliseconds);
  };
  services.makeProgressWindow = [this] { return makeProgressWindow_(); };
  core_ = std::make_unique<PluginCore>(std::move(services));
}

CoreFixture::~CoreFixture() {
  if (core_->session()) core_->Finalize();
}

void CoreFixture::SetSetting(const char* name, uint32_t value) {
  registry_.Create(RegistryHive::LocalMachine, kSettingsKey)->Write(name, RegistryValue::Dword(value));
}

void CoreFixture::SetTextSetting(const char* name, const std::string& value) {
  registry_.Create(RegistryHive::LocalMachine, kSettingsKey)->Write(name, RegistryValue::String(value));
}

std::optional<uint32_t> CoreFixture::StoredSetting(const char* name) {
  auto key = registry_.Open(RegistryHive::LocalMachine, kSettingsKey);
  auto value = key ? key->Read(name, 4) : std::nullopt;
  if (!value || value->data.size() != 4) return std::nullopt;
  uint32_t number = 0;
  std::memcpy(&number, value->data.data(), 4);
  return number;
}

int CoreFixture::Score(const std::string& text) {
  host::HostedMessage message(text);
  return core_->GetSpamScore(message.handle(), &host::MessageTable::ReadProperty);
}

void CoreFixture::Train(const std::string& text, bool spam) {
  host::HostedMessage message(text);
  core_->FeedSpam(message.handle(), spam ? 1 : 0, &host::MessageTable::ReadProperty);
}

void CoreFixture::WaitForLearners() {
  for (int i = 0; i < 10000 && core_->ActiveLearners() != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(core_->ActiveLearners(), 0u);
}

std::string CoreFixture::LogText() {
  const std::shared_ptr<Session> session = core_->session();
  if (!session) return ReadFileBytes(dir_.File("trellisk.log"));
  const std::string path = session->CurrentSettings()->LogfilePath;
  core_->log().Close();
  const std::string text = ReadFileBytes(path);
  core_->log().Open(path, false);
  return text;
}

std::vector<uint32_t> CoreFixture::Sleeps() {
  std::lock_guard<std::mutex> lock(sleepsMutex_);
  return sleeps_;
}

bool FakeSenderLists::CheckBlackWhitelist(ListMatch& record, std::string_view text, bool reset) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (text.empty()) return false;
  if (reset) record = ListMatch{};
  for (const Entry& entry : entries_) {
    if (record.verdict == kWhitelisted) break;
    if (!ContainsIgnoringCase(text, entry.text)) continue;
    record.verdict = entry.kind == kWhiteText ? kWhitelisted : kBlacklisted;
    record.matchedEntry = entry.text;
  }
  return true;
}

bool FakeSenderLists::Add(std::string_view text, ListEntryKind kind, uint32_t) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (throwOnAdd_) throw std::runtime_error("list store failed");
  if (text.empty()) return false;
  added_.push_back({std::string(text), kind});
  return true;
}

bool FakeSenderLists::Remove(std::string_view text, ListEntryKind kind) {
  std::lock_guard<std::mutex> lock(mutex_);
  removed_.push_back({std::string(text), kind});
  return true;
}

uint32_t FakeSenderLists::blackCount() { return 0; }
uint32_t FakeSenderLists::whiteCount() { return 0; }

RuleFilterResult FakeRuleFilter::ScoreMail(const RuleFilterInput& input) {
  ++calls_;
  lastRawHeader = input.rawHeader ? *input.rawHeader : "";
  lastRawBody = input.rawBody ? *input.rawBody : "";
  lastSize = input.size;
  return {total_, "3.50 SUBJECT pharmacy\n"};
}

DnsVerdict FakeDnsCheck::CheckDNSBlacklists(LogBlockKey, const std::vector<std::string>& relays,
                                            const DnsCheckOptions&) {
  ++calls_;
  if (!listed_ || relays.empty()) return {};
  return {kDnsBlacklisted, "zone.example(" + relays.front() + ")"};
}

bool FakeDnsCheck::Remove(const std::string& address) {
  std::lock_guard<std::mutex> lock(mutex_);
  removed_.push_back(address);
  return true;
}

}  // namespace trellisk::testing
