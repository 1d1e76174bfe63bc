#include "store/counted_string_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

// A failed allocation must come back as null, also under the sanitizers.
// The sanitizer runtimes look these hooks up dynamically, so they must be
// visible despite the project's hidden default.
#define TRELLISK_SANITIZER_HOOK extern "C" __attribute__((visibility("default")))
TRELLISK_SANITIZER_HOOK const char* __asan_default_options() { return "allocator_may_return_null=1"; }
TRELLISK_SANITIZER_HOOK const char* __tsan_default_options() { return "allocator_may_return_null=1"; }

namespace trellisk {
namespace {

using Table = CountedStringTable;

// The slots a search for `key` examines in a table of `slotCount` slots.
std::vector<uint32_t> ProbeSlots(std::string_view key, uint32_t slotCount) {
  std::vector<uint32_t> slots;
  uint32_t probe = Table::Hash(key);
  for (int i = 0; i < Table::kMaxProbes; ++i) {
    slots.push_back(probe % slotCount);
    probe += probe % 97 + 1;
  }
  return slots;
}

// The first key "<stem><n>" whose search starts at `slot`.
std::string KeyStartingAt(uint32_t slot, uint32_t slotCount, const std::string& stem) {
  for (int n = 0;; ++n) {
    std::string key = stem + std::to_string(n);
    if (Table::Hash(key) % slotCount == slot) return key;
  }
}

// "ZsS8kg" and "0fo7so" hash alike; so does every string made of a prefix
// and four blocks of them, which gives 16 keys with one probe sequence.
std::vector<std::string> SameHashKeys(const std::string& prefix, int count) {
  std::vector<std::string> keys;
  for (int i = 0; i < count; ++i) {
    std::string key = prefix;
    for (int bit = 0; bit < 4; ++bit) key += (i >> bit & 1) ? "0fo7so" : "ZsS8kg";
    keys.push_back(key);
  }
  return keys;
}

bool DistinctSlots(const std::vector<uint32_t>& slots) {
  return std::set<uint32_t>(slots.begin(), slots.end()).size() == slots.size();
}

struct Counters {
  uint32_t first;
  uint32_t second;
  bool operator==(const Counters&) const = default;
};

// The DNS cache's parameters: 101 slots to start with, a 1500-byte pool.
class TableTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(table_.Init(100)); }

  std::optional<Counters> Find(std::string_view key) const {
    Counters c{};
    if (!table_.Lookup(key, c.first, c.second)) return std::nullopt;
    return c;
  }
  uint32_t SlotOf(std::string_view key) const {
    uint32_t slot = UINT32_MAX;
    EXPECT_TRUE(table_.FindSlot(key, slot)) << key;
    return slot;
  }
  void AddAll(const std::vector<std::string>& keys) {
    for (const std::string& key : keys) ASSERT_TRUE(table_.Add(key, 1, 0)) << key;
  }
  // Fills every slot of `key`'s probe sequence that is still empty.
  void BlockProbesOf(const std::string& key) {
    for (uint32_t slot : ProbeSlots(key, table_.slotCount())) {
      if (table_.SlotContent(slot) == Table::kEmptySlot) {
        ASSERT_TRUE(table_.Add(KeyStartingAt(slot, table_.slotCount(), "filler"), 1, 0));
      }
    }
  }

  Table table_{100, 1500};
};

TEST(TableHash, MatchesTheKnownValues) {
  const std::vector<std::pair<std::string, uint32_t>> cases{
      {"", 0}, {"a", 97}, {"ab", 6363201}, {"\xE4", 4294967268u}, {"ZsS8kg", 2155678330u}};
  for (const auto& [key, hash] : cases) EXPECT_EQ(Table::Hash(key), hash) << key;
}

// The hash as defined: one byte at a time, each taken as a signed char.
uint32_t LiteralHash(std::string_view key) {
  uint32_t hash = 0;
  for (const char c : key) hash = hash * 65599u + static_cast<uint32_t>(static_cast<signed char>(c));
  return hash;
}

TEST(TableHash, AgreesWithTheByteByByteDefinitionForEveryLength) {
  std::mt19937 random(7);
  for (size_t length = 0; length <= 40; ++length) {
    for (int sample = 0; sample < 50; ++sample) {
      std::string key(length, '\0');
      for (char& c : key) c = static_cast<char>(random());
      ASSERT_EQ(Table::Hash(key), LiteralHash(key)) << "length " << length;
    }
  }
}

TEST(TablePrimeAtLeast, RoundsDownToHundredsAndSearchesForwardOnly) {
  Table table(100, 1500);
  EXPECT_EQ(table.PrimeAtLeast(0), 101u);
  EXPECT_EQ(table.PrimeAtLeast(199), 101u) << "199 rounds down to 100";
  EXPECT_EQ(table.PrimeAtLeast(1000), 1009u);
  EXPECT_EQ(table.PrimeAtLeast(100099), 100003u);
  EXPECT_EQ(table.PrimeAtLeast(150), 100003u) << "never searches back before the last result";
  EXPECT_EQ(table.PrimeAtLeast(14990011), 14990011u);
  EXPECT_EQ(table.PrimeAtLeast(20000099), 20000000u) << "past the end: the rounded request";
  EXPECT_EQ(table.PrimeAtLeast(14990000), 14990011u) << "a failed search keeps the position";
}

TEST(TableInit, SizesFollowTheSizeTable) {
  const std::vector<std::pair<uint32_t, uint32_t>> cases{{100, 101}, {1000, 1009}, {100000, 100003}, {200003, 200003}};
  for (const auto& [request, slots] : cases) {
    Table table(1000, 150000);
    ASSERT_TRUE(table.Init(request));
    EXPECT_EQ(table.slotCount(), slots);
    EXPECT_EQ(table.entryCount(), 0u);
    EXPECT_EQ(table.poolUsed(), 1u);
    EXPECT_EQ(table.poolSize(), 150000u);
  }
}

TEST(TableInit, AFailedAllocationLeavesAnEmptyTableThatRefusesInsertions) {
  Table table(100, 1500);
  ASSERT_TRUE(table.Init(100));
  ASSERT_TRUE(table.Add("kept", 1, 1));
  EXPECT_FALSE(table.Init(UINT32_MAX)) << "4294967200 slots cannot be had";
  EXPECT_EQ(table.slotCount(), 0u);
  EXPECT_EQ(table.entryCount(), 0u);
  EXPECT_FALSE(table.Add("new", 1, 0));
  uint32_t first = 7, second = 7;
  EXPECT_FALSE(table.Lookup("kept", first, second));
  EXPECT_FALSE(table.Remove("kept"));
  std::string key;
  EXPECT_FALSE(table.GetAt(0, key, first, second));
  EXPECT_TRUE(table.Clear());
  EXPECT_TRUE(table.Add("new", 1, 0)) << "usable again after a successful Init";
}

TEST_F(TableTest, EntriesArePackedIntoThePoolFromOffsetOne) {
  ASSERT_TRUE(table_.Add("free", 1, 0));
  ASSERT_TRUE(table_.Add("meeting", 0, 1));
  EXPECT_EQ(table_.SlotContent(SlotOf("free")), 1u);
  EXPECT_EQ(table_.SlotContent(SlotOf("meeting")), 1u + 4 + 13);
  EXPECT_EQ(table_.poolUsed(), 1u + 4 + 13 + 7 + 13);
  EXPECT_EQ(table_.entryCount(), 2u);
}

TEST(TableSlots, TheWordDatabaseExampleKeysSitInTheirKnownSlots) {
  Table table(100000, 1000000);
  ASSERT_TRUE(table.Init(100000));
  ASSERT_TRUE(table.Add("free", 1, 0));
  ASSERT_TRUE(table.Add("meeting", 0, 1));
  uint32_t slot = 0;
  ASSERT_TRUE(table.FindSlot("free", slot));
  EXPECT_EQ(slot, 22376u);
  ASSERT_TRUE(table.FindSlot("meeting", slot));
  EXPECT_EQ(slot, 69602u);
}

TEST_F(TableTest, AddSumsWithWrapAroundAndInsertsExactValues) {
  ASSERT_TRUE(table_.Add("word", 0xFFFFFFFF, 1));
  ASSERT_TRUE(table_.Add("word", 2, 3));
  EXPECT_EQ(Find("word"), (Counters{1, 4}));
  ASSERT_TRUE(table_.Add("other", 0, 0));
  EXPECT_EQ(Find("other"), (Counters{0, 0}));
  EXPECT_EQ(table_.entryCount(), 2u);
}

TEST_F(TableTest, KeysCompareWholeAndByteForByte) {
  ASSERT_TRUE(table_.Add("abc", 1, 0));
  ASSERT_TRUE(table_.Add("", 5, 6));
  EXPECT_FALSE(Find("ab"));
  EXPECT_FALSE(Find("abcd"));
  EXPECT_FALSE(Find("ABC"));
  EXPECT_EQ(Find(""), (Counters{5, 6})) << "the empty key hashes to 0 and can be stored";
}

TEST_F(TableTest, LookupOfAnAbsentKeyLeavesTheOutputsAlone) {
  uint32_t first = 7, second = 8;
  EXPECT_FALSE(table_.Lookup("absent", first, second));
  EXPECT_EQ(first, 7u);
  EXPECT_EQ(second, 8u);
}

TEST_F(TableTest, AKeyWhoseSearchPassedARemovedSlotIsStillFound) {
  const std::string first = "first";
  const uint32_t firstSlot = ProbeSlots(first, 101)[0];
  const std::string second = KeyStartingAt(firstSlot, 101, "second");
  ASSERT_TRUE(table_.Add(first, 1, 0));
  ASSERT_TRUE(table_.Add(second, 2, 0));
  ASSERT_EQ(SlotOf(first), firstSlot);
  ASSERT_NE(SlotOf(second), firstSlot);

  ASSERT_TRUE(table_.Remove(first));
  EXPECT_EQ(table_.SlotContent(firstSlot), Table::kDeletedSlot);
  EXPECT_EQ(table_.entryCount(), 1u);
  EXPECT_FALSE(Find(first));
  EXPECT_FALSE(table_.Remove(first));
  EXPECT_EQ(Find(second), (Counters{2, 0}));
}

TEST_F(TableTest, LookupManyAgreesWithLookupKeyByKey) {
  const std::string first = "first";
  const std::string second = KeyStartingAt(ProbeSlots(first, 101)[0], 101, "second");
  AddAll({first, second, "third", "fourth"});
  ASSERT_TRUE(table_.Remove(first));  // "second" is found past a deleted slot
  std::vector<std::string> keys = {first, second, "third", "", "absent"};
  for (int i = 0; i < 40; ++i) keys.push_back(i % 2 ? "fourth" : "missing" + std::to_string(i));
  const std::vector<std::string_view> views(keys.begin(), keys.end());
  std::vector<Table::LookupResult> results(views.size(), Table::LookupResult{true, 99, 99});
  table_.LookupMany(views, results);
  for (size_t i = 0; i < keys.size(); ++i) {
    const std::optional<Counters> one = Find(keys[i]);
    EXPECT_EQ(results[i].found, one.has_value()) << keys[i];
    if (one) {
      EXPECT_EQ((Counters{results[i].first, results[i].second}), *one) << keys[i];
    }
  }
}

TEST(TableLookupMany, AnEmptyTableFindsNothing) {
  Table table(100, 1500);
  const std::vector<std::string_view> keys = {"a", "b"};
  std::vector<Table::LookupResult> results(2, Table::LookupResult{true, 1, 1});
  table.LookupMany(keys, results);
  EXPECT_FALSE(results[0].found);
  EXPECT_FALSE(results[1].found);
}

TEST_F(TableTest, InsertionNeverReusesADeletedSlot) {
  ASSERT_TRUE(table_.Add("first", 1, 0));
  const uint32_t removedSlot = SlotOf("first");
  ASSERT_TRUE(table_.Remove("first"));
  ASSERT_TRUE(table_.Add("first", 3, 0));
  EXPECT_NE(SlotOf("first"), removedSlot);
  ASSERT_TRUE(table_.Add(KeyStartingAt(removedSlot, 101, "third"), 1, 0));
  EXPECT_EQ(table_.SlotContent(removedSlot), Table::kDeletedSlot);
  EXPECT_EQ(Find("first"), (Counters{3, 0}));
}

TEST_F(TableTest, AKeyWithTwelveOccupiedProbesGrowsTheTableAndIsFound) {
  const std::string key = "blocked";
  BlockProbesOf(key);
  const uint32_t fillers = table_.entryCount();
  ASSERT_EQ(table_.slotCount(), 101u);

  ASSERT_TRUE(table_.Add(key, 4, 2));
  EXPECT_EQ(table_.slotCount(), 211u) << "growStep + 100 requested, PrimeAtLeast(growStep + 101) taken";
  EXPECT_EQ(Find(key), (Counters{4, 2}));
  EXPECT_EQ(table_.entryCount(), fillers + 1);
  for (uint32_t slot : ProbeSlots(key, 101)) {
    EXPECT_TRUE(Find(KeyStartingAt(slot, 101, "filler"))) << "filler of slot " << slot;
  }
}

TEST_F(TableTest, GrowthKeepsEveryEntryAndThePoolOffsets) {
  std::map<std::string, uint32_t> offsets;
  for (int i = 0; i < 400; ++i) {
    const std::string key = "key" + std::to_string(i);
    ASSERT_TRUE(table_.Add(key, static_cast<uint32_t>(i), 1));
    offsets[key] = table_.SlotContent(SlotOf(key));
  }
  EXPECT_GT(table_.slotCount(), 401u);
  for (const auto& [key, offset] : offsets) {
    EXPECT_EQ(table_.SlotContent(SlotOf(key)), offset) << key;
  }
  EXPECT_EQ(table_.entryCount(), 400u);
}

TEST_F(TableTest, AFailedRehashRetriesWithALargerSize) {
  // A group of twelve same-hash keys fits in 101 and 307 slots, but two of
  // its probes meet in 211 slots, so re-inserting it there fails.
  std::vector<std::string> group;
  for (int n = 0; group.empty(); ++n) {
    ASSERT_LT(n, 100000) << "no suitable prefix";
    const std::string prefix = "p" + std::to_string(n);
    const std::string probe = SameHashKeys(prefix, 1)[0];
    if (DistinctSlots(ProbeSlots(probe, 101)) && !DistinctSlots(ProbeSlots(probe, 211)) &&
        DistinctSlots(ProbeSlots(probe, 307))) {
      group = SameHashKeys(prefix, 12);
    }
  }
  AddAll(group);
  const std::string key = "grower";
  BlockProbesOf(key);

  ASSERT_TRUE(table_.Add(key, 1, 1));
  EXPECT_EQ(table_.slotCount(), 307u);
  for (const std::string& member : group) EXPECT_TRUE(Find(member)) << member;
  EXPECT_TRUE(Find(key));
}

TEST_F(TableTest, AThirteenthKeyOfOneHashIsRefusedWithoutEndlessGrowth) {
  const std::vector<std::string> keys = SameHashKeys("x", 13);
  ASSERT_TRUE(DistinctSlots(ProbeSlots(keys[0], 101)));
  AddAll({keys.begin(), keys.end() - 1});

  EXPECT_FALSE(table_.Add(keys.back(), 1, 0));
  EXPECT_EQ(table_.slotCount(), 101u) << "growing cannot separate keys of one hash";
  EXPECT_EQ(table_.entryCount(), 12u);
  for (size_t i = 0; i + 1 < keys.size(); ++i) EXPECT_TRUE(Find(keys[i]));
}

struct DecreaseCase {
  Counters before;
  Counters subtract;
  std::optional<Counters> after;  // nullopt: the entry is gone
};

TEST_F(TableTest, DecreaseNeverGoesBelowZeroAndDropsEntriesThatReachZero) {
  const std::vector<DecreaseCase> cases{
      {{3, 0}, {5, 0}, std::nullopt},
      {{3, 2}, {5, 0}, Counters{0, 2}},
      {{9, 2}, {5, 0}, Counters{4, 2}},
      {{5, 2}, {5, 0}, Counters{0, 2}},
      {{0, 3}, {0, 5}, std::nullopt},
      {{2, 3}, {0, 3}, Counters{2, 0}},
      {{2, 9}, {0, 5}, Counters{2, 4}},
      {{4, 4}, {1, 1}, Counters{3, 3}},
      {{1, 1}, {1, 1}, std::nullopt},
      {{3, 3}, {0, 0}, Counters{3, 3}},
      {{0, 0}, {1, 0}, std::nullopt},
  };
  int n = 0;
  for (const DecreaseCase& c : cases) {
    const std::string key = "case" + std::to_string(n++);
    ASSERT_TRUE(table_.Add(key, c.before.first, c.before.second));
    EXPECT_TRUE(table_.Decrease(key, c.subtract.first, c.subtract.second)) << key;
    EXPECT_EQ(Find(key), c.after) << key;
  }
  EXPECT_FALSE(table_.Decrease("absent", 1, 0));
}

TEST_F(TableTest, AKeyLongerThanThePoolStepGrowsThePoolUntilItFits) {
  const std::string longKey(5000, 'k');
  ASSERT_TRUE(table_.Add("short", 1, 0));
  ASSERT_TRUE(table_.Add(longKey, 2, 3));
  EXPECT_EQ(table_.poolSize() % 1500, 0u);
  EXPECT_GT(table_.poolSize(), table_.poolUsed());
  EXPECT_EQ(Find(longKey), (Counters{2, 3}));
  std::string key;
  uint32_t first = 0, second = 0;
  ASSERT_TRUE(table_.GetAt(SlotOf(longKey), key, first, second));
  EXPECT_EQ(key, longKey);
  EXPECT_EQ(Find("short"), (Counters{1, 0}));
}

TEST_F(TableTest, ThePoolGrowsWhenTheEntryWouldFillItExactly) {
  // The pool must stay larger than poolUsed + the entry.
  const std::string key(1500 - 1 - 13, 'a');
  ASSERT_TRUE(table_.Add(key, 1, 0));
  EXPECT_EQ(table_.poolSize(), 3000u);
  EXPECT_EQ(table_.poolUsed(), 1500u);
}

TEST_F(TableTest, EnumerationVisitsSlotOrderAndAllowsRemovingTheCurrentEntry) {
  std::map<std::string, uint32_t> added;
  for (int i = 0; i < 40; ++i) {
    const std::string key = "w" + std::to_string(i);
    ASSERT_TRUE(table_.Add(key, static_cast<uint32_t>(i), 0));
    added[key] = static_cast<uint32_t>(i);
  }
  std::map<std::string, uint32_t> visited;
  std::string key;
  uint32_t first = 0, second = 0;
  for (uint32_t slot = 0; slot < table_.slotCount(); ++slot) {
    if (!table_.GetAt(slot, key, first, second)) continue;
    visited[key] = first;
    if (first % 2 == 0) {
      EXPECT_TRUE(table_.Remove(key));
    }
  }
  EXPECT_EQ(visited, added);
  for (const auto& [word, count] : added) {
    EXPECT_EQ(Find(word).has_value(), count % 2 == 1) << word;
  }
  EXPECT_EQ(table_.entryCount(), 20u);
}

TEST_F(TableTest, GetAtRefusesEmptyDeletedAndOutOfRangeSlots) {
  ASSERT_TRUE(table_.Add("gone", 1, 0));
  const uint32_t slot = SlotOf("gone");
  ASSERT_TRUE(table_.Remove("gone"));
  std::string key = "untouched";
  uint32_t first = 7, second = 7;
  EXPECT_FALSE(table_.GetAt(slot, key, first, second));
  EXPECT_FALSE(table_.GetAt((slot + 1) % 101, key, first, second));
  EXPECT_FALSE(table_.GetAt(101, key, first, second));
  EXPECT_EQ(key, "untouched");
}

TEST_F(TableTest, ClearStartsAfreshAtTheGrowStepSize) {
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(table_.Add("k" + std::to_string(i), 1, 0));
  ASSERT_GT(table_.slotCount(), 101u);
  ASSERT_TRUE(table_.Clear());
  EXPECT_EQ(table_.slotCount(), 101u);
  EXPECT_EQ(table_.entryCount(), 0u);
  EXPECT_EQ(table_.poolUsed(), 1u);
  EXPECT_EQ(table_.poolSize(), 1500u);
  EXPECT_FALSE(Find("k1"));
}

// Every key's slot and counters, in slot order.
std::vector<std::pair<uint32_t, std::string>> SlotMap(const Table& table) {
  std::vector<std::pair<uint32_t, std::string>> slots;
  std::string key;
  uint32_t first = 0, second = 0;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (table.GetAt(slot, key, first, second)) slots.emplace_back(slot, key + "=" + std::to_string(first));
  }
  return slots;
}

TEST_F(TableTest, RecordingTheSameKeysAgainAndAgainKeepsTheTableBounded) {
  // The undo database's pattern: every record is removed and added anew.
  std::vector<std::string> keys;
  for (int i = 0; i < 300; ++i) keys.push_back("<message-" + std::to_string(i) + "@example.org>");
  for (const std::string& key : keys) ASSERT_TRUE(table_.Add(key, 1, 0));
  const uint32_t slotsAfterFirstRound = table_.slotCount();
  uint32_t largestPool = 0, largestSlotCount = 0;
  for (uint32_t round = 2; round <= 200; ++round) {
    for (const std::string& key : keys) {
      ASSERT_TRUE(table_.Remove(key));
      ASSERT_TRUE(table_.Add(key, round, 0)) << key << " in round " << round;
    }
    largestPool = std::max(largestPool, table_.poolSize());
    largestSlotCount = std::max(largestSlotCount, table_.slotCount());
  }
  const uint32_t liveBytes = table_.poolUsed() - table_.deadPoolBytes();
  EXPECT_LE(largestPool, 2 * liveBytes + 2 * 1500) << "removed entries' bytes are reclaimed";
  EXPECT_LE(largestSlotCount, 2 * slotsAfterFirstRound) << "deleted slots are reclaimed";
  EXPECT_EQ(table_.entryCount(), keys.size());
  for (const std::string& key : keys) EXPECT_EQ(Find(key), (Counters{200, 0})) << key;
}

TEST(TableCompaction, CompactingThePoolKeepsEverySlotAndTheEnumerationOrder) {
  // Plenty of slots, so no probe is ever blocked and only the pool changes.
  Table table(100, 1500);
  ASSERT_TRUE(table.Init(5000));
  auto keyOf = [](int i) { return std::string(40, static_cast<char>('a' + i % 26)) + std::to_string(i); };
  int next = 0;
  for (; table.poolSize() < 4500; ++next) ASSERT_TRUE(table.Add(keyOf(next), static_cast<uint32_t>(next), 0));
  for (int i = 0; i < next; ++i) {
    if (i % 8 != 0) {
      ASSERT_TRUE(table.Remove(keyOf(i)));
    }
  }
  const auto survivors = SlotMap(table);
  const uint32_t poolBefore = table.poolSize();
  // Three quarters as many bytes again fill the pool, which is compacted
  // instead of growing: the removed entries hold more than half of it.
  const int firstNew = next;
  for (; next < firstNew + firstNew * 3 / 4; ++next) {
    ASSERT_TRUE(table.Add(keyOf(next), static_cast<uint32_t>(next), 0));
  }
  EXPECT_LE(table.poolSize(), poolBefore) << "the pool did not grow";
  EXPECT_EQ(table.deadPoolBytes(), 0u) << "the removed entries' bytes were dropped";
  auto now = SlotMap(table);
  std::erase_if(now, [&](const auto& entry) {
    return std::stoi(entry.second.substr(entry.second.find('=') + 1)) >= firstNew;
  });
  EXPECT_EQ(now, survivors) << "every surviving entry kept its slot and counters";
  for (int i = firstNew; i < next; ++i) {
    uint32_t first = 0, second = 0;
    EXPECT_TRUE(table.Lookup(keyOf(i), first, second)) << i;
    EXPECT_EQ(first, static_cast<uint32_t>(i));
  }
}

TEST_F(TableTest, ABlockedProbeFirstDropsDeletedSlotsAtTheSameSize) {
  const std::string key = "blocked";
  BlockProbesOf(key);
  // Removing all fillers but one leaves the probe blocked (insertion never
  // reuses a deleted slot) with deleted slots outnumbering live entries.
  std::set<std::string> fillers;
  for (uint32_t slot : ProbeSlots(key, 101)) fillers.insert(KeyStartingAt(slot, 101, "filler"));
  const std::string keep = *fillers.begin();
  for (const std::string& filler : fillers) {
    if (filler != keep) {
      ASSERT_TRUE(table_.Remove(filler));
    }
  }
  ASSERT_GE(table_.deletedSlotCount(), table_.entryCount());
  ASSERT_TRUE(table_.Add(key, 4, 2));
  EXPECT_EQ(table_.slotCount(), 101u) << "the array kept its size";
  EXPECT_EQ(table_.deletedSlotCount(), 0u);
  EXPECT_EQ(Find(key), (Counters{4, 2}));
  EXPECT_TRUE(Find(keep));
  EXPECT_EQ(table_.entryCount(), 2u);
}

TEST_F(TableTest, AFewDeletedSlotsStillLetTheArrayGrowAsBefore) {
  const std::string key = "blocked";
  for (int i = 0; i < 30; ++i) ASSERT_TRUE(table_.Add("live" + std::to_string(i), 1, 0));
  ASSERT_TRUE(table_.Add("removed", 1, 0));
  ASSERT_TRUE(table_.Remove("removed"));
  BlockProbesOf(key);
  ASSERT_LT(table_.deletedSlotCount(), table_.entryCount());
  ASSERT_TRUE(table_.Add(key, 1, 0));
  EXPECT_EQ(table_.slotCount(), 211u);
}

// A copy of a table's state and bytes, for Adopt.
struct RawCopy {
  Table::RawState state;
  platform::ZeroedBlock slots;
  platform::ZeroedBlock pool;
};

RawCopy CopyOf(const Table& table) {
  RawCopy raw{table.raw(), platform::ZeroedBlock::Allocate(table.RawSlots().size()),
              platform::ZeroedBlock::Allocate(table.poolSize())};
  std::memcpy(raw.slots.as<char>(), table.RawSlots().data(), table.RawSlots().size());
  std::memcpy(raw.pool.as<char>(), table.RawPool().data(), table.RawPool().size());
  return raw;
}

// The offset in the first slot that holds an entry.
uint32_t& FirstLiveOffset(RawCopy& raw) {
  uint32_t* offsets = raw.slots.as<uint32_t>();
  for (uint32_t i = 0;; ++i) {
    if (offsets[2 * i] != Table::kEmptySlot && offsets[2 * i] != Table::kDeletedSlot) return offsets[2 * i];
  }
}

TEST_F(TableTest, AdoptTakesASoundStateAndRefusesOneThatPointsOutsideItsPoolOrMiscounts) {
  AddAll({"alpha", "beta", "gamma", "delta"});
  ASSERT_TRUE(table_.Remove("beta"));
  const std::pair<const char*, void (*)(RawCopy&)> spoiled[] = {
      {"an offset past the used pool", [](RawCopy& raw) { FirstLiveOffset(raw) = raw.state.poolUsed - 5; }},
      {"one entry more", [](RawCopy& raw) { ++raw.state.entryCount; }},
      {"no deleted slot", [](RawCopy& raw) { raw.state.deletedSlots = 0; }},
      {"a used pool larger than the pool", [](RawCopy& raw) { raw.state.poolUsed = raw.state.poolSize + 1; }},
  };
  for (const auto& [what, spoil] : spoiled) {
    RawCopy raw = CopyOf(table_);
    spoil(raw);
    Table other{100, 1500};
    EXPECT_FALSE(other.Adopt(raw.state, std::move(raw.slots), std::move(raw.pool))) << what;
    EXPECT_EQ(other.slotCount(), 0u) << what;
  }
  RawCopy raw = CopyOf(table_);
  Table other{100, 1500};
  ASSERT_TRUE(other.Adopt(raw.state, std::move(raw.slots), std::move(raw.pool)));
  uint32_t first = 0, second = 0;
  EXPECT_TRUE(other.Lookup("gamma", first, second));
  EXPECT_FALSE(other.Lookup("beta", first, second));
  EXPECT_EQ(other.deletedSlotCount(), 1u);
  ASSERT_TRUE(other.Add("epsilon", 1, 0));
  ASSERT_TRUE(table_.Add("epsilon", 1, 0));
  EXPECT_EQ(other.RawSlots(), table_.RawSlots()) << "it goes on as the original does";
}

}  // namespace
}  // namespace trellisk
