// CountedStringTable maps byte-string keys to two unsigned 32-bit counters.
// It is the storage behind every store of the plug-in (word database, undo
// database, sender lists, DNS cache), and its slot order is the record order
// of every file written from it, so the probing, the growth sizes and the
// enumeration by slot are fixed:
//
// - open addressing over a prime-sized slot array (sizes from prime_table.h);
//   the probe sequence starts at the key's Hash and steps by p % 97 + 1, at
//   most 12 probes;
// - removal marks a slot deleted; insertion never reuses a deleted slot;
// - when 12 probes find no free slot the array grows by growStep slots and
//   every live entry is re-inserted in slot order. When deleted slots are at
//   least as many as live entries, the entries are first re-inserted into an
//   array of the same size, which drops the deleted slots; the array grows
//   only when that does not free a probe.
//
// Entries are packed into one pool: hash, first, second (4 bytes each), then
// the key and a terminating 0 byte. Removal leaves the entry's bytes in the
// pool; when the pool is full and at least half of it belongs to removed
// entries, the live entries are copied into a fresh pool instead of growing
// it. That changes pool offsets but no slot, so enumeration order stays.
// Next to each pool offset the slot array keeps the entry's hash, so probes
// past other keys never touch the pool.
//
// So a table whose entries are removed and added again (the undo database
// records every training anew) stays within about twice its live size.
//
// The table owns its slot array and pool. It has no lock: its owner guards
// every call. Allocation failure never throws; it makes Add (or Init) report
// false and leaves the table as it was (after a failed Init the table is
// empty and refuses insertions).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/zeroed_block.h"

namespace trellisk {

class CountedStringTable {
 public:
  // Raw slot contents, as SlotContent reports them.
  static constexpr uint32_t kEmptySlot = 0;
  static constexpr uint32_t kDeletedSlot = 0xFFFFFFFF;
  // Slots examined by every search before it gives up.
  static constexpr int kMaxProbes = 12;
  // Pool bytes an entry takes besides its key: hash, two counters, the 0 byte.
  static constexpr uint32_t kEntryOverhead = 13;

  // The table is unusable (no slots) until Init.
  CountedStringTable(uint32_t growStep, uint32_t poolStep);
  CountedStringTable(const CountedStringTable&) = delete;
  CountedStringTable& operator=(const CountedStringTable&) = delete;
  ~CountedStringTable() = default;

  // hash = hash * 65599 + c over the bytes taken as signed chars, mod 2^32.
  static uint32_t Hash(std::string_view key);

  // The first size-table entry not below n rounded down to a multiple of 100,
  // searching forward from where the last search stopped; n rounded down when
  // the table runs out.
  uint32_t PrimeAtLeast(uint32_t n);

  // Drops every entry and allocates PrimeAtLeast(sizeRequest) slots (searched
  // from the table's start) and a pool of poolStep bytes. False when that
  // memory cannot be had; the table is then empty and refuses insertions.
  bool Init(uint32_t sizeRequest);
  // Init with sizeRequest = growStep.
  bool Clear();

  // Adds to the key's counters (wrapping), or inserts the key with exactly
  // these counters. False when the slot array or the pool could not grow.
  bool Add(std::string_view key, uint32_t addFirst, uint32_t addSecond);
  // Subtracts without going below zero; an entry whose counters both end at
  // zero is removed. False when the key is absent.
  bool Decrease(std::string_view key, uint32_t subFirst, uint32_t subSecond);
  bool FindSlot(std::string_view key, uint32_t& slot) const;
  // The key's counters; the outputs are untouched when it is absent.
  bool Lookup(std::string_view key, uint32_t& first, uint32_t& second) const;

  // The counters of many keys at once, as Lookup gives them one by one. The
  // memory of each key's first slot and entry is requested ahead, so that
  // the cache misses of a batch overlap instead of following each other.
  struct LookupResult {
    bool found = false;
    uint32_t first = 0;
    uint32_t second = 0;
  };
  void LookupMany(std::span<const std::string_view> keys, std::span<LookupResult> results) const;
  // A hint that `key` will be looked up or added soon: requests the memory
  // of its first slot. Changes nothing.
  void Prefetch(std::string_view key) const;
  bool Remove(std::string_view key);
  // For enumeration over slot = 0 .. slotCount() - 1: false for an empty or
  // deleted slot (outputs untouched), else the entry. Removing the entry at
  // the current slot during such a walk is allowed.
  bool GetAt(uint32_t slot, std::string& key, uint32_t& first, uint32_t& second) const;
  // The raw slot: kEmptySlot, kDeletedSlot or the entry's pool offset.
  uint32_t SlotContent(uint32_t slot) const;

  uint32_t slotCount() const { return slotCount_; }
  uint32_t entryCount() const { return entryCount_; }
  uint32_t poolUsed() const { return poolUsed_; }
  uint32_t poolSize() const { return poolSize_; }
  // Slots marked deleted since the array was last filled anew.
  uint32_t deletedSlotCount() const { return deletedSlots_; }
  // Re-inserts the live entries in slot order into an array of the same
  // size, which drops the deleted slots, as insertion does once they are as
  // many as the live entries. False, with the table as it was, when an
  // entry found no slot (or the memory could not be had); true at once when
  // there are no deleted slots.
  bool DropDeletedSlots();
  // Pool bytes still held by removed entries.
  uint32_t deadPoolBytes() const { return deadPoolBytes_; }
  uint32_t growStep() const { return growStep_; }
  uint32_t poolStep() const { return poolStep_; }

  // The whole state of the table, for a side image of it (table_image.h):
  // a table that adopts these numbers with the slot and pool bytes behaves
  // as this one does, slot for slot, growth for growth.
  struct RawState {
    uint32_t slotCount = 0;
    uint32_t entryCount = 0;
    uint32_t deletedSlots = 0;
    uint32_t deadPoolBytes = 0;
    uint32_t poolUsed = 0;
    uint32_t poolSize = 0;
    uint32_t primeIndex = 0;
  };
  // Bytes per slot in RawSlots.
  static constexpr size_t kRawSlotBytes = 8;
  RawState raw() const;
  // slotCount * kRawSlotBytes bytes, and the first poolUsed bytes of the pool.
  std::string_view RawSlots() const;
  std::string_view RawPool() const;
  // Takes over a state with its slots (at least slotCount * kRawSlotBytes
  // bytes) and its pool (at least poolSize bytes, the first poolUsed as
  // RawPool gave them). False, with the table as it was, when they do not
  // make a sound table: a slot that points outside the used pool, counts
  // that do not match the slots. (The bytes themselves are the image's to
  // vouch for: its hash covers them.)
  bool Adopt(const RawState& state, platform::ZeroedBlock slots, platform::ZeroedBlock pool);

 private:
  // The pool offset (or kEmptySlot / kDeletedSlot) and the entry's hash.
  struct Slot {
    uint32_t offset;
    uint32_t hash;
  };
  // Both come as zero bytes from the page allocator: a table sized for a
  // large file costs only the pages its entries reach.
  using SlotArray = platform::ZeroedBlock;
  using Pool = platform::ZeroedBlock;

  // Where an insertion probe ended.
  enum class ProbeEnd { kFound, kFreeSlot, kBlocked, kBlockedForGood };
  struct InsertProbe {
    ProbeEnd end;
    uint32_t slot;
  };

  static SlotArray AllocateSlots(uint32_t count);
  void InstallSlots(SlotArray slots, uint32_t count);
  uint32_t SlotIndex(uint32_t probe) const;
  static uint32_t NextProbe(uint32_t probe) { return probe + probe % 97 + 1; }

  bool FindSlotWithHash(std::string_view key, uint32_t hash, uint32_t& slot) const;
  InsertProbe ProbeForInsert(std::string_view key, uint32_t hash) const;
  bool KeyMatches(uint32_t offset, std::string_view key) const;
  bool InsertAt(uint32_t slot, std::string_view key, uint32_t hash, uint32_t first, uint32_t second);
  bool EnsurePoolRoom(uint64_t entrySize);
  bool TryCompactPool(uint64_t entrySize);
  bool Grow(uint64_t requestedSlots);
  bool TryRehash(uint32_t newSlotCount);
  bool TryDropDeletedSlots();
  void RemoveAt(uint32_t slot);
  static bool IsSound(const RawState& state, const Slot* slots);

  uint32_t First(uint32_t offset) const;
  uint32_t Second(uint32_t offset) const;
  void SetFirst(uint32_t offset, uint32_t value);
  void SetSecond(uint32_t offset, uint32_t value);
  Slot* slots() const { return slots_.as<Slot>(); }
  char* pool() const { return pool_.as<char>(); }
  const char* KeyAt(uint32_t offset) const { return pool() + offset + 12; }
  size_t KeyLength(uint32_t offset) const;
  uint32_t EntrySize(uint32_t offset) const { return static_cast<uint32_t>(KeyLength(offset) + kEntryOverhead); }

  uint32_t entryCount_ = 0;
  uint32_t deletedSlots_ = 0;
  uint32_t deadPoolBytes_ = 0;
  uint32_t poolUsed_ = 1;
  uint32_t growStep_;
  uint32_t poolStep_;
  uint32_t slotCount_ = 0;
  // 2^64 / slotCount_ rounded up: turns probe % slotCount_ into two
  // multiplications, which matters on the path of every lookup.
  uint64_t slotReciprocal_ = 0;
  uint32_t poolSize_ = 0;
  SlotArray slots_;
  Pool pool_;
  uint32_t primeIndex_ = 0;
};

}  // namespace trellisk
