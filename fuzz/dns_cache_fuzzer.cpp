// The DNS blacklist cache file: the input is the file. Load it, check two
// fixed relays against one zone (a fake resolver that lists nothing), save,
// and do it all again with the saved file. Loading adds up the listings of
// repeated addresses and keeps the last time; the check and the ageing at
// save may drop entries but never change or invent one, in either round.
// (The rounds may differ: an entry aged out at the first save can have
// decided the first check, so the second check goes on to the next relay
// and drops that one's entry if it has too few listings.)
#include <map>
#include <utility>

#include "dnsbl/dns_blacklist.h"
#include "dnsbl/dns_cache_file.h"
#include "dnsbl/testing/fake_resolver.h"
#include "fuzz/fuzz_fixture.h"
#include "fuzz/fuzz_targets.h"
#include "plugin/component_options.h"

namespace trellisk::fuzz {
namespace {

constexpr const char* kCacheDirectory = "dns/";
constexpr const char* kCachePath = "dns/cache.dat";
constexpr uint32_t kNow = 1700000000;
// A line of the file cannot hold a line end, so no loaded cache has this address.
constexpr std::string_view kAddressNoFileHolds = "\n";
const std::vector<std::string> kRelays = {"192.0.2.1", "198.51.100.7"};

using CacheRecords = std::map<std::string, std::pair<uint32_t, uint32_t>>;  // address: listings, time

// What loading the file gives: listings summed, the last time kept.
CacheRecords ReadRecords(platform::MemoryFileSystem& files) {
  CacheRecords records;
  if (const auto file = files.OpenForReading(kCachePath)) {
    DamageReport damage;
    ReadDnsCacheRecords(
        *file,
        [&](const DnsCacheRecord& record) {
          if (record.address.empty()) return;
          auto& [listings, time] = records[std::string(record.address)];
          listings += record.listings;
          time = record.lastListed;
        },
        damage);
  }
  return records;
}

bool IsPartOf(const CacheRecords& part, const CacheRecords& whole) {
  for (const auto& [address, counts] : part) {
    const auto found = whole.find(address);
    if (found == whole.end() || found->second != counts) return false;
  }
  return true;
}

std::string Describe(const CacheRecords& records) {
  std::string text;
  for (const auto& [address, counts] : records) {
    text += " " + address + "=" + std::to_string(counts.first) + "@" + std::to_string(counts.second);
  }
  return text;
}

void LoadCheckAndSave(FuzzFixture& fixture) {
  testing::FakeResolver resolver;
  CDNSBlacklist blacklist(DnsCacheOptionsOf(fixture.settings), fixture.log, fixture.files, resolver, kCacheDirectory,
                          fixture.textSource, fixture.boxes, [] { return kNow; });
  Expect(blacklist.Load(), "the cache file did not load");
  blacklist.CheckDNSBlacklists(1, kRelays, DnsCheckOptionsOf(fixture.settings));
  Expect(blacklist.Add(kAddressNoFileHolds, kNow, 1) && blacklist.Remove(std::string(kAddressNoFileHolds)),
         "the marker address could not be added and removed");
  Expect(blacklist.Save(), "the cache could not be saved");
}

}  // namespace

void FuzzDnsCache(FuzzInput input) {
  FuzzFixture fixture;
  fixture.settings.DNSServerlist = "zone.test";
  fixture.settings.VerboseLogfile = 0;
  fixture.files.SetFile(kCachePath, std::string(AsText(input)));
  const CacheRecords loaded = ReadRecords(fixture.files);
  LoadCheckAndSave(fixture);
  const CacheRecords first = ReadRecords(fixture.files);
  Expect(IsPartOf(first, loaded), "saving the cache changed or invented an entry");
  LoadCheckAndSave(fixture);
  const CacheRecords second = ReadRecords(fixture.files);
  Expect(IsPartOf(second, first),
         "the second save changed or invented an entry:" + Describe(first) + " /" + Describe(second));
}

}  // namespace trellisk::fuzz
