// DnsBlacklistFixture: a CDNSBlacklist over a fake resolver, a fake clock, a
// fresh cache directory, recorded message boxes and an open log, for the DNS
// blacklist tests. Zones are "a.test", "b.test", "c.test" unless a test sets
// DNSServerlist; every check takes the settings as they are then.
//
// Test-only; one fixture per test.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "base/log.h"
#include "base/text_source.h"
#include "dnsbl/dns_blacklist.h"
#include "dnsbl/testing/fake_resolver.h"
#include "platform/file_system.h"
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "tests/support/temp_directory.h"
#include "tests/support/test_message_boxes.h"

namespace trellisk::testing {

class DnsBlacklistFixture : public ::testing::Test {
 protected:
  static constexpr LogBlockKey kKey = 42;
  static constexpr uint32_t kNow = 1'700'000'000;

  DnsBlacklistFixture() {
    settings_.DNSServerlist = "a.test,b.test,c.test";
    settings_.DNSBlacklistSpamCount = 2;
    settings_.MaxThreadCount = 20;
    settings_.VerboseLogfile = 0;
    checker_.SetCacheOptions(DnsCacheOptionsOf(settings_));
    log_.Open(LogPath(), true);
  }

  DnsVerdict Check(const std::vector<std::string>& relays) {
    return checker_.CheckDNSBlacklists(kKey, relays, DnsCheckOptionsOf(settings_));
  }
  // Makes `zone` list `reversed` (the d.c.b.a form of an address).
  void List(const std::string& reversed, const std::string& zone) { resolver_.List(reversed + "." + zone); }
  // The log file, with the check's block flushed into it.
  std::string LogText() {
    log_.FlushBlock(kKey);
    return log_.ReadAll();
  }
  uint32_t Listings(const std::string& address) {
    uint32_t listings = 0;
    uint32_t lastListed = 0;
    return checker_.Find(address, listings, lastListed) ? listings : 0;
  }
  std::string CachePath() const { return dir_.File("cache.dat"); }
  std::string LogPath() const { return dir_.File("trellisk.log"); }

  TempDirectory dir_;
  Settings settings_;
  BuiltinTexts builtinTexts_;
  std::atomic<const TextSource*> texts_{&builtinTexts_};
  Log log_{&builtinTexts_};
  FakeResolver resolver_;
  std::atomic<uint32_t> now_{kNow};
  TestMessageBoxes messageBoxes_;
  CDNSBlacklist checker_{DnsCacheOptionsOf(settings_), log_, platform::DefaultFileSystem(), resolver_, dir_.path(),
                         texts_, messageBoxes_, [this] { return now_.load(); }};
};

}  // namespace trellisk::testing
