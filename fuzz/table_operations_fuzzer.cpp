// The counted string table under a sequence of operations: the input is read
// as operations (add, remove, decrease, look up, record anew) on a few dozen
// keys of varied lengths, applied to a small table that grows, drops its
// deleted slots and compacts its pool often, and to a plain model. After
// every operation the table must answer as the model does, and no entry may
// change its slot unless the slot array was filled anew; at the end the
// table must hold exactly the model's entries.
#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "fuzz/fuzz_targets.h"
#include "fuzz/table_entries.h"
#include "store/counted_string_table.h"

namespace trellisk::fuzz {
namespace {

// Operations beyond this add nothing the fuzzer cannot reach with fewer.
constexpr int kMostOperations = 512;
constexpr size_t kKeyCount = 48;
constexpr uint32_t kNoSlot = UINT32_MAX;

using Counters = std::pair<uint32_t, uint32_t>;
// The counters of each key, by key index; nullopt when absent.
using Model = std::array<std::optional<Counters>, kKeyCount>;
using SlotsByKey = std::array<uint32_t, kKeyCount>;

enum class Operation { kAdd, kRemove, kDecrease, kLookup, kRecordAnew, kCount };

// Reads the input a byte at a time; 0 once it is used up.
class ByteReader {
 public:
  explicit ByteReader(FuzzInput input) : input_(input) {}
  bool AtEnd() const { return next_ >= input_.size(); }
  uint8_t Next() { return AtEnd() ? 0 : input_[next_++]; }

 private:
  FuzzInput input_;
  size_t next_ = 0;
};

// The keys: "k<index>" and a run of one letter, 2 to 70 bytes in all.
const std::array<std::string, kKeyCount>& Keys() {
  static const std::array<std::string, kKeyCount> keys = [] {
    std::array<std::string, kKeyCount> made;
    for (size_t i = 0; i < kKeyCount; ++i) {
      made[i] = "k" + std::to_string(i) + std::string(i * 37 % 68, static_cast<char>('a' + i % 26));
    }
    return made;
  }();
  return keys;
}

// Throws FuzzFailure(what + key) unless `holds`; builds the text only then.
void Require(bool holds, const char* what, size_t key) {
  if (!holds) Expect(false, what + Keys()[key]);
}

SlotsByKey SlotsOf(const CountedStringTable& table) {
  SlotsByKey slots;
  for (size_t i = 0; i < kKeyCount; ++i) {
    if (!table.FindSlot(Keys()[i], slots[i])) slots[i] = kNoSlot;
  }
  return slots;
}

void RequireSameAnswer(const CountedStringTable& table, const Model& model, size_t key) {
  Counters counters;
  const bool found = table.Lookup(Keys()[key], counters.first, counters.second);
  Require(found == model[key].has_value(), "the table and the model disagree on the presence of ", key);
  Require(!found || counters == *model[key], "the counters differ of ", key);
}

void DecreaseInModel(std::optional<Counters>& entry, uint32_t first, uint32_t second) {
  if (!entry || (first == 0 && second == 0)) return;
  auto& [a, b] = *entry;
  a = a > first ? a - first : 0;
  b = b > second ? b - second : 0;
  if (a == 0 && b == 0) entry.reset();
}

// Applies one operation to both; false when the table refused an insertion,
// which this small key set never gives a reason for.
bool Apply(Operation operation, CountedStringTable& table, Model& model, size_t key, uint32_t first,
           uint32_t second) {
  std::optional<Counters>& entry = model[key];
  switch (operation) {
    case Operation::kAdd:
      entry = entry ? Counters{entry->first + first, entry->second + second} : Counters{first, second};
      return table.Add(Keys()[key], first, second);
    case Operation::kRemove:
      Require(table.Remove(Keys()[key]) == entry.has_value(), "Remove answered otherwise than the model for ", key);
      entry.reset();
      return true;
    case Operation::kDecrease:
      Require(table.Decrease(Keys()[key], first, second) == entry.has_value(),
              "Decrease answered otherwise than the model for ", key);
      DecreaseInModel(entry, first, second);
      return true;
    case Operation::kLookup:
    case Operation::kCount:
      return true;
    case Operation::kRecordAnew:
      table.Remove(Keys()[key]);
      entry = Counters{first, second};
      return table.Add(Keys()[key], first, second);
  }
  return true;
}

// Slots stay put unless the array grew or was filled anew to drop its
// deleted slots, which only an insertion does and which leaves none
// (recording anew removes first, so it may have made the deleted slot).
// The key recorded anew itself takes a new slot.
void RequireSlotsKept(const SlotsByKey& before, const SlotsByKey& after, bool arrayFilledAnew,
                      std::optional<size_t> movedKey) {
  if (arrayFilledAnew) return;
  for (size_t i = 0; i < kKeyCount; ++i) {
    if (i == movedKey || before[i] == kNoSlot || after[i] == kNoSlot) continue;
    Require(before[i] == after[i], "an entry changed its slot: ", i);
  }
}

}  // namespace

void FuzzTableOperations(FuzzInput input) {
  // A few slots and a small pool step, so that growth, dropping deleted
  // slots and compaction all happen within short inputs.
  CountedStringTable table(100, 128);
  Expect(table.Init(100), "the table could not be set up");
  Model model;
  ByteReader reader(input);
  for (int count = 0; count < kMostOperations && !reader.AtEnd(); ++count) {
    const auto operation = static_cast<Operation>(reader.Next() % static_cast<int>(Operation::kCount));
    const size_t key = reader.Next() % kKeyCount;
    const uint32_t first = reader.Next() % 4;
    const uint32_t second = reader.Next() % 4;
    const SlotsByKey before = SlotsOf(table);
    const uint32_t slotCountBefore = table.slotCount();
    const bool hadDeletedSlots = table.deletedSlotCount() > 0 || operation == Operation::kRecordAnew;
    const bool inserts = operation == Operation::kAdd || operation == Operation::kRecordAnew;
    Require(Apply(operation, table, model, key, first, second), "the table refused to add ", key);
    const bool arrayFilledAnew = table.slotCount() != slotCountBefore ||
                                 (inserts && hadDeletedSlots && table.deletedSlotCount() == 0);
    RequireSlotsKept(before, SlotsOf(table), arrayFilledAnew,
                     operation == Operation::kRecordAnew ? std::optional<size_t>(key) : std::nullopt);
    RequireSameAnswer(table, model, key);
    Expect(table.poolUsed() - table.deadPoolBytes() <= table.poolSize(), "the live entries exceed the pool");
  }
  std::vector<TableEntry> expected;
  for (size_t i = 0; i < kKeyCount; ++i) {
    if (model[i]) expected.emplace_back(Keys()[i], model[i]->first, model[i]->second);
  }
  std::sort(expected.begin(), expected.end());
  Expect(TableEntries(table) == expected, "the table's entries differ from the model's");
  size_t modelSize = 0;
  for (const auto& entry : model) modelSize += entry.has_value();
  Expect(table.entryCount() == modelSize, "the entry count differs from the model's");
}

}  // namespace trellisk::fuzz
