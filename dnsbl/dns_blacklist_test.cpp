#include "dnsbl/dns_blacklist.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tests/support/dns_test_fixture.h"
#include "tests/support/temp_directory.h"

namespace trellisk::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::MatchesRegex;
using ::testing::UnorderedElementsAre;
using Result = platform::LookupResult;

class DnsBlacklistTest : public DnsBlacklistFixture {};

TEST_F(DnsBlacklistTest, AddressListedByEnoughZonesIsBlacklisted) {
  List("4.3.2.1", "a.test");
  List("4.3.2.1", "c.test");
  const DnsVerdict verdict = Check({"1.2.3.4", "5.6.7.8"});
  EXPECT_EQ(verdict.state, kDnsBlacklisted);
  // The zones answer in any order.
  EXPECT_THAT(verdict.reason, ::testing::AnyOf("a.test(1.2.3.4), c.test(1.2.3.4)", "c.test(1.2.3.4), a.test(1.2.3.4)"));
  // Later relays are not checked once a relay decided.
  EXPECT_THAT(resolver_.names(), UnorderedElementsAre("4.3.2.1.a.test", "4.3.2.1.b.test", "4.3.2.1.c.test"));
  EXPECT_EQ(Listings("1.2.3.4"), 2u);
}

TEST_F(DnsBlacklistTest, ListingsBelowTheThresholdDecideNothing) {
  List("4.3.2.1", "b.test");
  const DnsVerdict verdict = Check({"1.2.3.4"});
  EXPECT_EQ(verdict.state, kNoDecision);
  EXPECT_EQ(Listings("1.2.3.4"), 1u);
}

TEST_F(DnsBlacklistTest, HitsCountPerAddress) {
  List("4.3.2.1", "a.test");
  List("8.7.6.5", "b.test");
  EXPECT_EQ(Check({"1.2.3.4", "5.6.7.8"}).state, kNoDecision);
}

TEST_F(DnsBlacklistTest, LaterRelayCanDecide) {
  List("8.7.6.5", "a.test");
  List("8.7.6.5", "b.test");
  List("8.7.6.5", "c.test");
  const DnsVerdict verdict = Check({"1.2.3.4", "5.6.7.8"});
  EXPECT_EQ(verdict.state, kDnsBlacklisted);
  EXPECT_THAT(verdict.reason, HasSubstr("(5.6.7.8)"));
}

TEST_F(DnsBlacklistTest, WithOneThreadTheZonesAreAskedInOrderUntilDecided) {
  settings_.MaxThreadCount = 1;
  settings_.DNSServerlist = "a.test,b.test,c.test,d.test";
  List("4.3.2.1", "a.test");
  List("4.3.2.1", "c.test");
  List("4.3.2.1", "d.test");
  const DnsVerdict verdict = Check({"1.2.3.4"});
  EXPECT_EQ(verdict.state, kDnsBlacklisted);
  EXPECT_EQ(verdict.reason, "a.test(1.2.3.4), c.test(1.2.3.4)");
  EXPECT_THAT(resolver_.names(), ElementsAre("4.3.2.1.a.test", "4.3.2.1.b.test", "4.3.2.1.c.test"));
}

TEST_F(DnsBlacklistTest, ThresholdZeroChecksNothing) {
  settings_.DNSBlacklistSpamCount = 0;
  List("4.3.2.1", "a.test");
  EXPECT_EQ(Check({"1.2.3.4"}).state, kNoDecision);
  EXPECT_THAT(resolver_.names(), IsEmpty());
}

TEST_F(DnsBlacklistTest, PrivateRelaysAreNeverLookedUp) {
  EXPECT_EQ(Check({"127.0.0.1", "192.168.1.10", "no address", "1.1.1.999"}).state, kNoDecision);
  EXPECT_THAT(resolver_.names(), IsEmpty());
}

TEST_F(DnsBlacklistTest, NothingToCheckWithoutRelaysOrZones) {
  EXPECT_EQ(Check({}).state, kNoDecision);
  settings_.DNSServerlist = "";
  EXPECT_EQ(Check({"1.2.3.4"}).state, kNoDecision);
  EXPECT_THAT(resolver_.names(), IsEmpty());
}

struct ZoneListCase {
  const char* name;
  const char* list;
  std::vector<std::string> lookups;
};

class DnsZoneListTest : public DnsBlacklistFixture, public ::testing::WithParamInterface<ZoneListCase> {};

TEST_P(DnsZoneListTest, EveryNonEmptyPieceIsAZone) {
  settings_.DNSServerlist = GetParam().list;
  Check({"1.2.3.4"});
  EXPECT_THAT(resolver_.names(), ::testing::UnorderedElementsAreArray(GetParam().lookups));
}

INSTANTIATE_TEST_SUITE_P(Lists, DnsZoneListTest, ::testing::Values(
    ZoneListCase{"TwoZones", "a.test,b.test", {"4.3.2.1.a.test", "4.3.2.1.b.test"}},
    ZoneListCase{"ExtraCommas", ",a.test,,b.test,", {"4.3.2.1.a.test", "4.3.2.1.b.test"}},
    ZoneListCase{"Blanks", " a.test ,\tb.test\r\n", {"4.3.2.1.a.test", "4.3.2.1.b.test"}},
    ZoneListCase{"OneZone", "a.test", {"4.3.2.1.a.test"}},
    ZoneListCase{"OnlyCommas", ",, ,", {}}),
    [](const ::testing::TestParamInfo<ZoneListCase>& info) { return std::string(info.param.name); });

TEST_F(DnsBlacklistTest, CachedListingsAtTheThresholdNeedNoLookup) {
  checker_.Add("1.2.3.4", kNow - 100, 2);
  const DnsVerdict verdict = Check({"1.2.3.4", "5.6.7.8"});
  EXPECT_EQ(verdict.state, kDnsBlacklisted);
  EXPECT_EQ(verdict.reason, "cached DNS request");
  EXPECT_THAT(resolver_.names(), IsEmpty());
  EXPECT_EQ(Listings("1.2.3.4"), 2u);
}

TEST_F(DnsBlacklistTest, CachedListingsBelowTheThresholdAreLookedUpAfresh) {
  settings_.DNSBlacklistSpamCount = 3;
  checker_.Add("1.2.3.4", kNow - 100, 1);
  EXPECT_EQ(Check({"1.2.3.4"}).state, kNoDecision);
  EXPECT_THAT(resolver_.names(), UnorderedElementsAre("4.3.2.1.a.test", "4.3.2.1.b.test", "4.3.2.1.c.test"));
  EXPECT_EQ(Listings("1.2.3.4"), 0u) << "the weak listing is removed";
}

TEST_F(DnsBlacklistTest, ListingsFoundAreCachedForTheNextMessage) {
  List("4.3.2.1", "a.test");
  List("4.3.2.1", "b.test");
  ASSERT_EQ(Check({"1.2.3.4"}).state, kDnsBlacklisted);
  uint32_t listings = 0;
  uint32_t lastListed = 0;
  ASSERT_TRUE(checker_.Find("1.2.3.4", listings, lastListed));
  EXPECT_EQ(listings, 2u);
  EXPECT_EQ(lastListed, kNow);
  const size_t lookups = resolver_.names().size();
  EXPECT_EQ(Check({"1.2.3.4"}).reason, "cached DNS request");
  EXPECT_EQ(resolver_.names().size(), lookups);
}

TEST_F(DnsBlacklistTest, RemoveForgetsACachedListing) {
  checker_.Add("1.2.3.4", kNow, 5);
  EXPECT_TRUE(checker_.Remove("1.2.3.4"));
  EXPECT_FALSE(checker_.Remove("1.2.3.4"));
  EXPECT_EQ(Check({"1.2.3.4"}).state, kNoDecision);
  EXPECT_EQ(resolver_.names().size(), 3u);
}

TEST_F(DnsBlacklistTest, ResolverNotReadyListsNothing) {
  resolver_.SetReady(false);
  List("4.3.2.1", "a.test");
  List("4.3.2.1", "b.test");
  EXPECT_EQ(Check({"1.2.3.4"}).state, kNoDecision);
  EXPECT_THAT(resolver_.names(), IsEmpty());
}

TEST_F(DnsBlacklistTest, FailedLookupsCountAsNotListed) {
  resolver_.SetResult("4.3.2.1.a.test", Result::kTryAgain);
  resolver_.SetResult("4.3.2.1.b.test", Result::kNoData);
  resolver_.SetResult("4.3.2.1.c.test", Result::kNetworkDown);
  EXPECT_EQ(Check({"1.2.3.4"}).state, kNoDecision);
  EXPECT_EQ(Listings("1.2.3.4"), 0u) << "negative answers are not cached";
  EXPECT_EQ(LogText(), "") << "nor logged";
}

TEST_F(DnsBlacklistTest, ResolverExceptionIsReportedAndTheCountsComeDown) {
  resolver_.ThrowFor("4.3.2.1.b.test");
  List("4.3.2.1", "a.test");
  List("4.3.2.1", "c.test");
  EXPECT_EQ(Check({"1.2.3.4"}).state, kDnsBlacklisted);
  EXPECT_EQ(checker_.RunningQueries(), 0u);
  EXPECT_THAT(LogText(), HasSubstr("An unexpected exception occured! Please send a report to the author "
                                   "(bugs@trellisk.org) -=> CDNSBlacklist::DNSRequest"));
}

// A text source that fails for one text, to make a check meet an exception.
class FailingTexts final : public TextSource {
 public:
  explicit FailingTexts(TextId failing) : failing_(failing) {}
  std::string Load(int id) const override {
    if (id == failing_) throw std::runtime_error("text unavailable");
    return BuiltinTexts().Load(id);
  }

 private:
  TextId failing_;
};

TEST_F(DnsBlacklistTest, CheckExceptionIsReportedAndAfterItNothingRuns) {
  const FailingTexts failing(kTextCachedDnsRequest);
  texts_ = &failing;
  checker_.Add("5.6.7.8", kNow, 2);
  List("4.3.2.1", "a.test");
  const DnsVerdict verdict = Check({"1.2.3.4", "5.6.7.8", "9.9.9.9"});
  texts_ = &builtinTexts_;
  EXPECT_EQ(verdict.state, kNoDecision);
  EXPECT_EQ(verdict.reason, "a.test(1.2.3.4)") << "what was found before stands";
  EXPECT_EQ(resolver_.names().size(), 3u) << "the relay after the failure is not checked";
  EXPECT_EQ(checker_.RunningQueries(), 0u);
  EXPECT_THAT(LogText(), HasSubstr("-=> CDNSBlacklist::CheckDNSBlacklists"));
}

TEST_F(DnsBlacklistTest, VerboseLogShowsTheRequestAndEachZone) {
  settings_.VerboseLogfile = 1;
  settings_.MaxThreadCount = 1;
  settings_.DNSServerlist = "a.test,b.test";
  Check({"1.2.3.4"});
  EXPECT_THAT(LogText(), MatchesRegex("DNS-Blacklist request started\\.\\.\\.\n"
                                      "a\\.test \\(-?[0-9]+\\.[0-9]{2}ms\\)\n"
                                      "b\\.test \\(-?[0-9]+\\.[0-9]{2}ms\\)\n"
                                      "DNS-Blacklist request finished\\.\\.\\.\\(-?[0-9]+\\.[0-9]{2}ms\\)"));
}

TEST_F(DnsBlacklistTest, QuietLogWithoutVerboseSetting) {
  List("4.3.2.1", "a.test");
  Check({"1.2.3.4"});
  EXPECT_EQ(LogText(), "");
}

TEST_F(DnsBlacklistTest, CacheOperationsGoToCacheDat) {
  checker_.Add("1.2.3.4", kNow, 3);
  EXPECT_TRUE(checker_.Save());
  EXPECT_EQ(ReadFileBytes(CachePath()), "1.2.3.4\n3\n" + std::to_string(kNow) + "\n");
  EXPECT_TRUE(checker_.Close());
  EXPECT_EQ(Listings("1.2.3.4"), 0u);
  EXPECT_TRUE(checker_.Load());
  EXPECT_EQ(Listings("1.2.3.4"), 3u);
  now_ = kNow + DnsCache::kMaxAgeAtSave + 1;
  EXPECT_TRUE(checker_.Compress(DnsCache::kMaxAgeAtSave));
  EXPECT_EQ(Listings("1.2.3.4"), 0u);
}

TEST_F(DnsBlacklistTest, ReverseIPIsTheStaticForm) {
  EXPECT_EQ(CDNSBlacklist::ReverseIP("10.20.30.40"), "40.30.20.10");
  EXPECT_EQ(CDNSBlacklist::ReverseIP("192.168.0.1"), "");
}

// The server test, with the message boxes captured.
class DnsServerTest : public DnsBlacklistFixture {
 protected:
  struct Box {
    std::string caption;
    std::string text;
    platform::MessageBoxIcon icon;
  };

  DnsServerTest() {
    messageBoxes_.Observe([this](std::string_view caption, std::string_view text, platform::MessageBoxIcon icon) {
      boxes_.push_back(Box{std::string(caption), std::string(text), icon});
    });
  }

  // Runs the server test and returns its one box.
  Box CheckServers(const std::vector<std::string>& zones) {
    checker_.CheckServers(zones);
    EXPECT_EQ(boxes_.size(), 1u);
    return boxes_.empty() ? Box{} : boxes_.back();
  }

  std::vector<Box> boxes_;
};

TEST_F(DnsServerTest, AllZonesResolve) {
  resolver_.List("a.test");
  resolver_.List("b.test");
  const Box box = CheckServers({"a.test", "b.test"});
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.text, "All DNS Servers exists!");
  EXPECT_EQ(box.icon, platform::MessageBoxIcon::None);
  EXPECT_THAT(resolver_.names(), ElementsAre("a.test", "b.test"));
}

TEST_F(DnsServerTest, EachFailureIsExplainedInOrder) {
  const std::vector<std::pair<Result, std::string>> failures = {
      {Result::kInterrupted, "A blocking Windows Socket 1.1 call was canceled through WSACancelBlockingCall."},
      {Result::kFault, "The name parameter is not a valid part of the user address space."},
      {Result::kInProgress, "A blocking Windows Sockets 1.1 call is in progress, or the service provider is still "
                            "processing a callback function."},
      {Result::kNetworkDown, "The network subsystem has failed."},
      {Result::kNotInitialised, "A successful WSAStartup call must occur before using this function."},
      {Result::kHostNotFound, "Authoritative answer host not found."},
      {Result::kTryAgain, "Nonauthoritative host not found, or server failure."},
      {Result::kNoRecovery, "A nonrecoverable error occurred."},
      {Result::kNoData, "Valid name, no data record of requested type."},
  };
  std::vector<std::string> zones;
  std::string expected;
  for (const auto& [result, text] : failures) {
    const std::string zone = "z" + std::to_string(static_cast<int>(result)) + ".test";
    resolver_.SetResult(zone, result);
    zones.push_back(zone);
    expected += zone + ": (" + text + ")\r\n";
  }
  const Box box = CheckServers(zones);
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.text, expected);
  EXPECT_EQ(box.icon, platform::MessageBoxIcon::Error);
}

TEST_F(DnsServerTest, OtherErrorsAndEmptyNamesAddNothing) {
  resolver_.SetResult("odd.test", Result::kOtherError);
  const Box box = CheckServers({"odd.test", "", " \t"});
  EXPECT_EQ(box.text, "All DNS Servers exists!");
  EXPECT_THAT(resolver_.names(), ElementsAre("odd.test"));
}

TEST_F(DnsServerTest, ResolverNotReadyReportsEveryZone) {
  resolver_.SetReady(false);
  const Box box = CheckServers({"a.test", "b.test"});
  EXPECT_EQ(box.text,
            "a.test: (A successful WSAStartup call must occur before using this function.)\r\n"
            "b.test: (A successful WSAStartup call must occur before using this function.)\r\n");
  EXPECT_THAT(resolver_.names(), IsEmpty());
}

TEST_F(DnsServerTest, ResolverExceptionIsReported) {
  resolver_.ThrowFor("a.test");
  checker_.CheckServers({"a.test"});
  EXPECT_THAT(boxes_, IsEmpty());
  EXPECT_THAT(log_.ReadAll(), HasSubstr("-=> CDNSBlacklist::CheckServers"));
}

}  // namespace
}  // namespace trellisk::testing
