#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "dnsbl/dns_blacklist.h"
#include "tests/support/dns_test_fixture.h"

namespace trellisk::testing {
namespace {

constexpr int kHostThreads = 4;
constexpr int kChecksPerThread = 5;
constexpr uint32_t kThreadLimit = 3;
const char* const kListedRelay = "10.9.9.9";

class DnsConcurrencyTest : public DnsBlacklistFixture {
 protected:
  DnsConcurrencyTest() {
    settings_.MaxThreadCount = kThreadLimit;
    settings_.DNSBlacklistSpamCount = 3;
    settings_.DNSServerlist.clear();
    for (int zone = 1; zone <= 15; ++zone) {
      const std::string name = "z" + std::to_string(zone) + ".test";
      settings_.DNSServerlist += (zone > 1 ? "," : "") + name;
      if (zone % 5 == 0) List("9.9.9.10", name);
    }
  }

  // Relays of check `check` on host thread `thread`: two unlisted, and the
  // listed one on every other check.
  static std::vector<std::string> Relays(int thread, int check) {
    std::vector<std::string> relays = {"10.1." + std::to_string(thread) + "." + std::to_string(check),
                                       "10.2." + std::to_string(thread) + "." + std::to_string(check)};
    if (check % 2 == 0) relays.push_back(kListedRelay);
    return relays;
  }

  // Runs every host thread's checks at once; `alongside` runs on one more thread meanwhile.
  std::vector<std::vector<DnsVerdict>> RunChecks(const std::function<void()>& alongside = [] {}) {
    std::vector<std::vector<DnsVerdict>> verdicts(kHostThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kHostThreads; ++t) {
      threads.emplace_back([this, t, &verdicts] {
        for (int c = 0; c < kChecksPerThread; ++c) verdicts[t].push_back(Check(Relays(t, c)));
      });
    }
    threads.emplace_back(alongside);
    for (std::thread& thread : threads) thread.join();
    return verdicts;
  }

  void ExpectVerdicts(const std::vector<std::vector<DnsVerdict>>& verdicts) {
    for (int t = 0; t < kHostThreads; ++t) {
      for (int c = 0; c < kChecksPerThread; ++c) {
        EXPECT_EQ(verdicts[t][c].state, c % 2 == 0 ? kDnsBlacklisted : kNoDecision) << t << "/" << c;
      }
    }
  }
};

TEST_F(DnsConcurrencyTest, RunningLookupsNeverExceedTheLimit) {
  resolver_.HoldLookups();
  const auto verdicts = RunChecks([this] {
    // Every slot is taken before any lookup may end.
    EXPECT_TRUE(resolver_.WaitForRunning(kThreadLimit));
    resolver_.ReleaseLookups();
  });
  EXPECT_EQ(resolver_.maxRunning(), static_cast<int>(kThreadLimit));
  EXPECT_EQ(checker_.RunningQueries(), 0u);
  ExpectVerdicts(verdicts);
  // Every unlisted relay was asked of every zone.
  EXPECT_GE(resolver_.names().size(), size_t{kHostThreads * kChecksPerThread * 2 * 15});
}

TEST_F(DnsConcurrencyTest, CacheOperationsOverlapChecks) {
  const auto verdicts = RunChecks([this] {
    for (int i = 0; i < 50; ++i) {
      checker_.Add("10.3.0." + std::to_string(i), kNow, 1);
      checker_.Remove("10.3.0." + std::to_string(i / 2));
      checker_.Save();
    }
  });
  ExpectVerdicts(verdicts);
  EXPECT_EQ(checker_.RunningQueries(), 0u);
  EXPECT_TRUE(checker_.Save());
}

}  // namespace
}  // namespace trellisk::testing
