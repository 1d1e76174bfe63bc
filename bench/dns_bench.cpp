// The time one message's DNS blacklist check takes against a real DNS
// server: 3 relays, 15 zones, MaxThreadCount 20. It needs the loopback
// server of tests/dns_netns_run.sh (bench/dns_bench.sh runs it there);
// without it every benchmark reports an error instead of a time.
#include <benchmark/benchmark.h>

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
#include "plugin/component_options.h"
#include "plugin/settings.h"
#include "tests/support/temp_directory.h"

namespace trellisk {
namespace {

// 198.51.100.7 is listed in every bench zone; the others in none.
const char* const kListedRelay = "198.51.100.7";
const std::vector<std::string> kUnlistedRelays = {"198.51.100.1", "198.51.100.2", "198.51.100.3"};

std::string BenchZones() {
  std::string zones;
  for (int n = 1; n <= 15; ++n) {
    if (n > 1) zones += ',';
    zones += n < 10 ? "bench-0" : "bench-";
    zones += std::to_string(n);
    zones += ".test";
  }
  return zones;
}

// One process-wide checker, as the plug-in has.
struct BenchChecker {
  BenchChecker() {
    settings.DNSServerlist = BenchZones();
    settings.DNSBlacklistSpamCount = 3;
    settings.MaxThreadCount = 20;
    settings.VerboseLogfile = 0;
  }

  testing::TempDirectory dir;
  Settings settings;
  BuiltinTexts builtinTexts;
  std::atomic<const TextSource*> texts{&builtinTexts};
  Log log{&builtinTexts};
  std::unique_ptr<platform::DnsResolver> resolver = platform::StartResolver();
  CDNSBlacklist checker{DnsCacheOptionsOf(settings), log, platform::DefaultFileSystem(), *resolver, dir.path(), texts,
                        platform::SystemMessageBoxes()};
};

bool LoopbackServerMissing(benchmark::State& state) {
  if (std::getenv("TRELLISK_DNS_NETNS") != nullptr) return false;
  state.SkipWithError("needs the loopback DNS server: run bench/dns_bench.sh");
  return true;
}

void RunChecks(benchmark::State& state, const std::vector<std::string>& relays, ScanState expected,
               bool forgetListing) {
  if (LoopbackServerMissing(state)) return;
  BenchChecker bench;
  for (auto _ : state) {
    if (forgetListing) {
      state.PauseTiming();
      bench.checker.Remove(kListedRelay);
      state.ResumeTiming();
    }
    const DnsVerdict verdict = bench.checker.CheckDNSBlacklists(1, relays, DnsCheckOptionsOf(bench.settings));
    if (verdict.state != expected) {
      state.SkipWithError("unexpected verdict");
      break;
    }
  }
}

// The worst case: no relay is listed, so all 45 names are asked.
void BM_UnlistedRelays(benchmark::State& state) { RunChecks(state, kUnlistedRelays, kNoDecision, false); }

// The first relay is listed everywhere and not yet cached: up to 15 lookups.
void BM_ListedRelayFirstSeen(benchmark::State& state) {
  RunChecks(state, {kListedRelay, kUnlistedRelays[0], kUnlistedRelays[1]}, kDnsBlacklisted, true);
}

// The listed relay is cached: no lookup at all.
void BM_ListedRelayCached(benchmark::State& state) {
  RunChecks(state, {kListedRelay, kUnlistedRelays[0], kUnlistedRelays[1]}, kDnsBlacklisted, false);
}

BENCHMARK(BM_UnlistedRelays)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListedRelayFirstSeen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListedRelayCached)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace trellisk
