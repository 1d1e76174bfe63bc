// The checker with the system's resolver against a real DNS server: the
// loopback server of tests/dns_netns_run.sh, which serves test zones only
// (see that script for what is listed). Without it every case is skipped.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "dnsbl/dns_blacklist.h"
#include "platform/dns_resolver.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "tests/support/temp_directory.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk::testing {
namespace {

using ::testing::ElementsAre;
using Result = platform::LookupResult;

bool LoopbackServerRuns() { return std::getenv("TRELLISK_DNS_NETNS") != nullptr; }

class DnsNetnsTest : public ::testing::Test {
 protected:
  struct Box {
    std::string text;
    platform::MessageBoxIcon icon;
  };

  void SetUp() override {
    if (!LoopbackServerRuns()) GTEST_SKIP() << "needs the loopback DNS server: run through tests/dns_netns_run.sh";
    settings_.DNSServerlist = "zone-a.test";
    settings_.DNSBlacklistSpamCount = 1;
    settings_.MaxThreadCount = 20;
    settings_.VerboseLogfile = 0;
    messageBoxes_.Observe([this](std::string_view, std::string_view text, platform::MessageBoxIcon icon) {
      boxes_.push_back(Box{std::string(text), icon});
    });
  }

  DnsVerdict Check(const std::vector<std::string>& relays) {
    return checker_.CheckDNSBlacklists(1, relays, DnsCheckOptionsOf(settings_));
  }

  TempDirectory dir_;
  Settings settings_;
  BuiltinTexts builtinTexts_;
  std::atomic<const TextSource*> texts_{&builtinTexts_};
  Log log_{&builtinTexts_};
  std::unique_ptr<platform::DnsResolver> resolver_ = platform::StartResolver();
  TestMessageBoxes messageBoxes_;
  CDNSBlacklist checker_{DnsCacheOptionsOf(settings_), log_, platform::DefaultFileSystem(), *resolver_, dir_.path(),
                         texts_, messageBoxes_};
  std::vector<Box> boxes_;
};

TEST_F(DnsNetnsTest, ResolverTellsFoundFromMissing) {
  ASSERT_TRUE(resolver_->Ready());
  EXPECT_EQ(resolver_->Lookup("zone-a.test"), Result::kFound);
  EXPECT_EQ(resolver_->Lookup("10.2.0.192.zone-a.test"), Result::kFound);
  EXPECT_EQ(resolver_->Lookup("missing.test"), Result::kHostNotFound);
  EXPECT_EQ(resolver_->Lookup("nodata.test"), Result::kNoData);
  EXPECT_EQ(resolver_->Lookup(std::string("zone-a.test\0x", 13)), Result::kFault);
}

TEST_F(DnsNetnsTest, ListedAddressIsFound) {
  const DnsVerdict verdict = Check({"192.0.2.10"});
  EXPECT_EQ(verdict.state, kDnsBlacklisted);
  EXPECT_EQ(verdict.reason, "zone-a.test(192.0.2.10)");
}

TEST_F(DnsNetnsTest, UnlistedAddressIsNot) {
  EXPECT_EQ(Check({"192.0.2.99", "[192.0.2.98]"}).state, kNoDecision);
}

TEST_F(DnsNetnsTest, ThresholdSpansTwoZones) {
  settings_.DNSServerlist = "zone-a.test,zone-b.test,zone-c.test";
  settings_.DNSBlacklistSpamCount = 2;
  EXPECT_EQ(Check({"192.0.2.20"}).state, kNoDecision) << "listed by one zone only";
  const DnsVerdict verdict = Check({"192.0.2.20", "192.0.2.10"});
  EXPECT_EQ(verdict.state, kDnsBlacklisted);
  EXPECT_THAT(verdict.reason, ::testing::HasSubstr("zone-b.test(192.0.2.10)"));
}

TEST_F(DnsNetnsTest, ServerTestNamesTheZoneThatDoesNotResolve) {
  checker_.CheckServers({"zone-a.test", "missing.test", "zone-b.test"});
  checker_.CheckServers({"zone-a.test", "zone-b.test"});
  ASSERT_EQ(boxes_.size(), 2u);
  EXPECT_EQ(boxes_[0].text, "missing.test: (Authoritative answer host not found.)\r\n");
  EXPECT_EQ(boxes_[0].icon, platform::MessageBoxIcon::Error);
  EXPECT_EQ(boxes_[1].text, "All DNS Servers exists!");
  EXPECT_EQ(boxes_[1].icon, platform::MessageBoxIcon::None);
}

}  // namespace
}  // namespace trellisk::testing
