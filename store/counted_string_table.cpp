#include "store/counted_string_table.h"

#include <algorithm>
#include <cstring>

#include "store/prime_table.h"

namespace trellisk {
namespace {

// Offsets of the fields of an entry in the pool.
constexpr uint32_t kHashField = 0;
constexpr uint32_t kFirstField = 4;
constexpr uint32_t kSecondField = 8;
constexpr uint32_t kKeyField = 12;

// Growth re-places every entry, so a key that a growth could not place is
// given a few more tries (each new size scatters the probes anew) before Add
// gives up instead of growing without end.
constexpr int kMaxGrowthsPerAdd = 4;
// Re-insertion into a new size can fail; each retry asks for a larger size.
constexpr int kMaxGrowAttempts = 16;

constexpr uint32_t kLargestPoolSize = 0xFFFFFFFE;  // offsets must stay below kDeletedSlot

uint32_t ReadU32(const char* at) {
  uint32_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void WriteU32(char* at, uint32_t value) { std::memcpy(at, &value, sizeof value); }

// A key byte as the hash takes it: a signed char, widened modulo 2^32.
inline uint32_t SignedByte(char c) { return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c))); }

// hash * 65599 + c over the key's bytes, four bytes per step: the four
// products are independent, so the chain of dependent multiplications is a
// quarter as long as byte by byte.
inline uint32_t HashOf(std::string_view key) {
  constexpr uint32_t p1 = 65599u, p2 = p1 * p1, p3 = p2 * p1, p4 = p3 * p1;
  const char* c = key.data();
  size_t n = key.size();
  uint32_t hash = 0;
  for (; n >= 4; c += 4, n -= 4) {
    hash = hash * p4 + SignedByte(c[0]) * p3 + SignedByte(c[1]) * p2 + SignedByte(c[2]) * p1 + SignedByte(c[3]);
  }
  for (; n > 0; ++c, --n) hash = hash * p1 + SignedByte(*c);
  return hash;
}

// Compares eight bytes at a time; keys are short, so this beats a call.
bool BytesEqual(const char* a, const char* b, size_t n) {
  for (; n >= 8; a += 8, b += 8, n -= 8) {
    uint64_t x, y;
    std::memcpy(&x, a, 8);
    std::memcpy(&y, b, 8);
    if (x != y) return false;
  }
  for (; n > 0; --n) {
    if (*a++ != *b++) return false;
  }
  return true;
}

}  // namespace

CountedStringTable::CountedStringTable(uint32_t growStep, uint32_t poolStep)
    : growStep_(growStep), poolStep_(poolStep) {}

uint32_t CountedStringTable::Hash(std::string_view key) { return HashOf(key); }

uint32_t CountedStringTable::PrimeAtLeast(uint32_t n) {
  const uint32_t rounded = n / 100 * 100;
  const auto primes = SizePrimes();
  const auto found = std::lower_bound(primes.begin() + primeIndex_, primes.end(), rounded);
  if (found == primes.end()) return rounded;
  primeIndex_ = static_cast<uint32_t>(found - primes.begin());
  return *found;
}

CountedStringTable::SlotArray CountedStringTable::AllocateSlots(uint32_t count) {
  return SlotArray::Allocate(size_t{count} * sizeof(Slot));
}

bool CountedStringTable::Init(uint32_t sizeRequest) {
  InstallSlots(SlotArray(), 0);
  pool_ = Pool();
  poolSize_ = 0;
  entryCount_ = 0;
  deletedSlots_ = 0;
  deadPoolBytes_ = 0;
  poolUsed_ = 1;
  primeIndex_ = 0;
  const uint32_t slotCount = PrimeAtLeast(sizeRequest);
  SlotArray slots = AllocateSlots(slotCount);
  const uint32_t poolSize = std::max<uint32_t>(poolStep_, 1);
  Pool pool = Pool::Allocate(poolSize);
  if (!slots || !pool) return false;
  InstallSlots(std::move(slots), slotCount);
  pool_ = std::move(pool);
  poolSize_ = poolSize;
  return true;
}

bool CountedStringTable::Clear() { return Init(growStep_); }

void CountedStringTable::InstallSlots(SlotArray slots, uint32_t count) {
  slots_ = std::move(slots);
  slotCount_ = count;
  slotReciprocal_ = count == 0 ? 0 : UINT64_MAX / count + 1;
}

// probe % slotCount_ by Lemire's multiply-shift, exact for 32-bit operands.
inline uint32_t CountedStringTable::SlotIndex(uint32_t probe) const {
#if defined(__SIZEOF_INT128__)
  const uint64_t fraction = slotReciprocal_ * probe;
  return static_cast<uint32_t>((static_cast<unsigned __int128>(fraction) * slotCount_) >> 64);
#else
  return probe % slotCount_;
#endif
}

inline bool CountedStringTable::KeyMatches(uint32_t offset, std::string_view key) const {
  // The stored key ends with a 0 byte inside the used pool; checking that the
  // searched key's length fits keeps the comparison inside the pool.
  if (uint64_t{offset} + kKeyField + key.size() >= poolUsed_) return false;
  const char* stored = KeyAt(offset);
  return stored[key.size()] == '\0' && BytesEqual(stored, key.data(), key.size());
}

inline bool CountedStringTable::FindSlotWithHash(std::string_view key, uint32_t hash, uint32_t& slot) const {
  if (slotCount_ == 0) return false;
  uint32_t probe = hash;
  for (int i = 0; i < kMaxProbes; ++i, probe = NextProbe(probe)) {
    const uint32_t index = SlotIndex(probe);
    const Slot& candidate = slots()[index];
    if (candidate.offset == kEmptySlot) return false;
    if (candidate.hash == hash && candidate.offset != kDeletedSlot && KeyMatches(candidate.offset, key)) {
      slot = index;
      return true;
    }
  }
  return false;
}

CountedStringTable::InsertProbe CountedStringTable::ProbeForInsert(std::string_view key, uint32_t hash) const {
  // When every probed slot holds a live entry of the same hash, no table
  // size can help: those entries follow the very same probe sequence.
  bool onlySameHash = true;
  uint32_t probe = hash;
  for (int i = 0; i < kMaxProbes; ++i, probe = NextProbe(probe)) {
    const uint32_t index = SlotIndex(probe);
    const Slot& candidate = slots()[index];
    if (candidate.offset == kEmptySlot) return {ProbeEnd::kFreeSlot, index};
    if (candidate.offset == kDeletedSlot || candidate.hash != hash) {
      onlySameHash = false;
    } else if (KeyMatches(candidate.offset, key)) {
      return {ProbeEnd::kFound, index};
    }
  }
  return {onlySameHash ? ProbeEnd::kBlockedForGood : ProbeEnd::kBlocked, 0};
}

bool CountedStringTable::Add(std::string_view key, uint32_t addFirst, uint32_t addSecond) {
  if (slotCount_ == 0) return false;
  const uint32_t hash = HashOf(key);
  for (int growths = 0;;) {
    const InsertProbe probe = ProbeForInsert(key, hash);
    if (probe.end == ProbeEnd::kFound) {
      const uint32_t offset = slots()[probe.slot].offset;
      SetFirst(offset, First(offset) + addFirst);
      SetSecond(offset, Second(offset) + addSecond);
      return true;
    }
    if (probe.end == ProbeEnd::kFreeSlot) return InsertAt(probe.slot, key, hash, addFirst, addSecond);
    if (probe.end == ProbeEnd::kBlockedForGood) return false;
    if (TryDropDeletedSlots()) continue;
    if (growths++ == kMaxGrowthsPerAdd || !Grow(uint64_t{growStep_} + slotCount_ / 100 * 100)) return false;
  }
}

bool CountedStringTable::DropDeletedSlots() { return deletedSlots_ == 0 || TryRehash(slotCount_); }

bool CountedStringTable::TryDropDeletedSlots() {
  if (deletedSlots_ == 0 || deletedSlots_ < entryCount_) return false;
  return TryRehash(slotCount_);
}

// Copies the live entries, in slot order, into a fresh pool with room for
// one more entry of entrySize bytes, and points their slots at the copies.
bool CountedStringTable::TryCompactPool(uint64_t entrySize) {
  const uint64_t liveBytes = uint64_t{poolUsed_} - deadPoolBytes_;
  const uint64_t needed = liveBytes + entrySize;
  const uint64_t size = poolStep_ == 0 ? needed + 1 : (needed / poolStep_ + 1) * poolStep_;
  if (size > kLargestPoolSize || size >= poolSize_) return false;
  Pool fresh = Pool::Allocate(size);
  if (!fresh) return false;
  uint32_t used = 1;
  for (uint32_t i = 0; i < slotCount_; ++i) {
    Slot& slot = slots()[i];
    if (slot.offset == kEmptySlot || slot.offset == kDeletedSlot) continue;
    const uint32_t bytes = EntrySize(slot.offset);
    std::memcpy(fresh.as<char>() + used, pool() + slot.offset, bytes);
    slot.offset = used;
    used += bytes;
  }
  pool_ = std::move(fresh);
  poolSize_ = static_cast<uint32_t>(size);
  poolUsed_ = used;
  deadPoolBytes_ = 0;
  return true;
}

bool CountedStringTable::EnsurePoolRoom(uint64_t entrySize) {
  const uint64_t needed = uint64_t{poolUsed_} + entrySize;
  if (poolSize_ > needed) return true;
  if (deadPoolBytes_ >= poolUsed_ / 2 && TryCompactPool(entrySize)) return true;
  uint64_t newSize = poolSize_;
  if (poolStep_ == 0) {
    newSize = needed + 1;
  } else {
    while (newSize <= needed) newSize += poolStep_;
  }
  if (newSize > kLargestPoolSize) return false;
  if (!pool_.Grow(newSize)) return false;
  poolSize_ = static_cast<uint32_t>(newSize);
  return true;
}

bool CountedStringTable::InsertAt(uint32_t slot, std::string_view key, uint32_t hash, uint32_t first,
                                  uint32_t second) {
  const uint64_t entrySize = uint64_t{key.size()} + kEntryOverhead;
  if (!EnsurePoolRoom(entrySize)) return false;
  char* entry = pool() + poolUsed_;
  WriteU32(entry + kHashField, hash);
  WriteU32(entry + kFirstField, first);
  WriteU32(entry + kSecondField, second);
  if (!key.empty()) std::memcpy(entry + kKeyField, key.data(), key.size());
  entry[kKeyField + key.size()] = '\0';
  slots()[slot] = Slot{poolUsed_, hash};
  poolUsed_ += static_cast<uint32_t>(entrySize);
  ++entryCount_;
  return true;
}

bool CountedStringTable::Grow(uint64_t requestedSlots) {
  const uint32_t savedPrimeIndex = primeIndex_;
  uint64_t request = requestedSlots;
  for (int attempt = 0; attempt < kMaxGrowAttempts; ++attempt) {
    const uint64_t minimum = uint64_t{growStep_} + slotCount_;
    if (request > UINT32_MAX || minimum > UINT32_MAX) break;
    const uint32_t size = std::max(static_cast<uint32_t>(request), PrimeAtLeast(static_cast<uint32_t>(minimum)));
    if (TryRehash(size)) return true;
    const uint64_t larger = uint64_t{size} / 100 * 100 + growStep_;
    if (larger > UINT32_MAX) break;
    request = PrimeAtLeast(static_cast<uint32_t>(larger));
  }
  primeIndex_ = savedPrimeIndex;
  return false;
}

bool CountedStringTable::TryRehash(uint32_t newSlotCount) {
  SlotArray fresh = AllocateSlots(newSlotCount);
  if (!fresh) return false;
  for (uint32_t i = 0; i < slotCount_; ++i) {
    const Slot& entry = slots()[i];
    if (entry.offset == kEmptySlot || entry.offset == kDeletedSlot) continue;
    uint32_t probe = entry.hash;
    bool placed = false;
    for (int n = 0; n < kMaxProbes && !placed; ++n, probe = NextProbe(probe)) {
      // Plain division: slotReciprocal_ still belongs to the old size.
      Slot& target = fresh.as<Slot>()[probe % newSlotCount];
      if (target.offset == kEmptySlot) {
        target = entry;
        placed = true;
      }
    }
    if (!placed) return false;
  }
  InstallSlots(std::move(fresh), newSlotCount);
  deletedSlots_ = 0;
  return true;
}

bool CountedStringTable::FindSlot(std::string_view key, uint32_t& slot) const {
  return FindSlotWithHash(key, HashOf(key), slot);
}

bool CountedStringTable::Lookup(std::string_view key, uint32_t& first, uint32_t& second) const {
  uint32_t slot;
  if (!FindSlotWithHash(key, HashOf(key), slot)) return false;
  const uint32_t offset = slots()[slot].offset;
  first = First(offset);
  second = Second(offset);
  return true;
}

void CountedStringTable::LookupMany(std::span<const std::string_view> keys, std::span<LookupResult> results) const {
  if (slotCount_ == 0) {
    std::fill_n(results.begin(), keys.size(), LookupResult{});
    return;
  }
  // A pipeline over the keys: the slot of a key kAhead places on is
  // requested, the entry of the key kAhead / 2 places on is requested once
  // its slot has arrived, and the key at hand is resolved from the cache.
  constexpr size_t kAhead = 64;
  constexpr size_t kMask = kAhead - 1;
  uint32_t hashes[kAhead];
  const size_t count = keys.size();
  auto requestSlot = [&](size_t i) {
    hashes[i & kMask] = HashOf(keys[i]);
    __builtin_prefetch(&slots()[SlotIndex(hashes[i & kMask])]);
  };
  auto requestEntry = [&](size_t i) {
    const Slot& slot = slots()[SlotIndex(hashes[i & kMask])];
    if (slot.hash == hashes[i & kMask] && slot.offset != kEmptySlot && slot.offset != kDeletedSlot) {
      __builtin_prefetch(pool() + slot.offset);
    }
  };
  for (size_t i = 0; i < std::min(count, kAhead); ++i) requestSlot(i);
  for (size_t i = 0; i < std::min(count, kAhead / 2); ++i) requestEntry(i);
  for (size_t i = 0; i < count; ++i) {
    LookupResult& result = results[i];
    uint32_t slot;
    result.found = FindSlotWithHash(keys[i], hashes[i & kMask], slot);
    result.first = result.found ? First(slots()[slot].offset) : 0;
    result.second = result.found ? Second(slots()[slot].offset) : 0;
    if (i + kAhead / 2 < count) requestEntry(i + kAhead / 2);
    if (i + kAhead < count) requestSlot(i + kAhead);
  }
}

void CountedStringTable::Prefetch(std::string_view key) const {
  if (slotCount_ != 0) __builtin_prefetch(&slots()[SlotIndex(HashOf(key))]);
}

void CountedStringTable::RemoveAt(uint32_t slot) {
  deadPoolBytes_ += EntrySize(slots()[slot].offset);
  slots()[slot].offset = kDeletedSlot;
  ++deletedSlots_;
  --entryCount_;
}

// The length of the key at `offset`, which ends at its 0 byte or, failing
// one, at the end of the used pool.
size_t CountedStringTable::KeyLength(uint32_t offset) const {
  const char* key = KeyAt(offset);
  const size_t limit = poolUsed_ - offset - kKeyField;
  const void* terminator = std::memchr(key, '\0', limit);
  return terminator ? static_cast<const char*>(terminator) - key : limit;
}

bool CountedStringTable::Remove(std::string_view key) {
  uint32_t slot;
  if (!FindSlot(key, slot)) return false;
  RemoveAt(slot);
  return true;
}

bool CountedStringTable::Decrease(std::string_view key, uint32_t subFirst, uint32_t subSecond) {
  uint32_t slot;
  if (!FindSlot(key, slot)) return false;
  if (subFirst == 0 && subSecond == 0) return true;
  const uint32_t offset = slots()[slot].offset;
  SetFirst(offset, First(offset) > subFirst ? First(offset) - subFirst : 0);
  SetSecond(offset, Second(offset) > subSecond ? Second(offset) - subSecond : 0);
  // An entry left with two zero counters would be a record that a reader of
  // the word database takes for the end of the data, so it goes.
  if (First(offset) == 0 && Second(offset) == 0) RemoveAt(slot);
  return true;
}

bool CountedStringTable::GetAt(uint32_t slot, std::string& key, uint32_t& first, uint32_t& second) const {
  const uint32_t offset = SlotContent(slot);
  if (offset == kEmptySlot || offset == kDeletedSlot) return false;
  key.assign(KeyAt(offset), KeyLength(offset));
  first = First(offset);
  second = Second(offset);
  return true;
}

uint32_t CountedStringTable::SlotContent(uint32_t slot) const {
  return slot < slotCount_ ? slots()[slot].offset : kEmptySlot;
}

static_assert(sizeof(CountedStringTable::RawState) == 7 * sizeof(uint32_t));

CountedStringTable::RawState CountedStringTable::raw() const {
  static_assert(sizeof(Slot) == kRawSlotBytes);
  return {slotCount_, entryCount_, deletedSlots_, deadPoolBytes_, poolUsed_, poolSize_, primeIndex_};
}

std::string_view CountedStringTable::RawSlots() const {
  return {slots_.as<const char>(), size_t{slotCount_} * sizeof(Slot)};
}

std::string_view CountedStringTable::RawPool() const { return {pool_.as<const char>(), poolSize_ ? poolUsed_ : 0}; }

bool CountedStringTable::IsSound(const RawState& state, const Slot* slots) {
  if (state.poolUsed == 0 || state.poolUsed > state.poolSize || state.primeIndex >= kSizePrimeCount) return false;
  // Without branches: the slots of a large table are empty or not at random.
  uint32_t live = 0;
  uint32_t deleted = 0;
  uint32_t largestOffset = 0;
  for (uint32_t i = 0; i < state.slotCount; ++i) {
    const uint32_t offset = slots[i].offset;
    // Wraps the empty slot (0) to the top, next to the deleted mark.
    const bool isLive = offset - 1 < kDeletedSlot - 1;
    live += isLive;
    deleted += offset == kDeletedSlot;
    largestOffset = std::max(largestOffset, isLive ? offset : 0);
  }
  return uint64_t{largestOffset} + kEntryOverhead <= state.poolUsed && live == state.entryCount &&
         deleted == state.deletedSlots && state.deadPoolBytes < state.poolUsed;
}

bool CountedStringTable::Adopt(const RawState& state, platform::ZeroedBlock slots, platform::ZeroedBlock pool) {
  if (state.slotCount == 0 || slots.size() < size_t{state.slotCount} * sizeof(Slot) || pool.size() < state.poolSize) {
    return false;
  }
  if (!IsSound(state, slots.as<Slot>())) return false;
  InstallSlots(std::move(slots), state.slotCount);
  pool_ = std::move(pool);
  poolSize_ = state.poolSize;
  poolUsed_ = state.poolUsed;
  entryCount_ = state.entryCount;
  deletedSlots_ = state.deletedSlots;
  deadPoolBytes_ = state.deadPoolBytes;
  primeIndex_ = state.primeIndex;
  return true;
}

uint32_t CountedStringTable::First(uint32_t offset) const { return ReadU32(pool() + offset + kFirstField); }
uint32_t CountedStringTable::Second(uint32_t offset) const { return ReadU32(pool() + offset + kSecondField); }
void CountedStringTable::SetFirst(uint32_t offset, uint32_t value) { WriteU32(pool() + offset + kFirstField, value); }
void CountedStringTable::SetSecond(uint32_t offset, uint32_t value) {
  WriteU32(pool() + offset + kSecondField, value);
}

}  // namespace trellisk
