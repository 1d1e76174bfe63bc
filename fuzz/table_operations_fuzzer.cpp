// The counted string table under a sequence of operations: the input is read
// as operations (add, remove, decrease, look up, record anew) on a few dozen
// keys of varied lengths, applied to a small table that grows, drops its
// deleted slots and compacts its pool often, and to a plain map as the
// model. After every operation the table must answer as the model does, and
// no entry may change its slot unless the slot array was filled anew; at
// the end the table must hold exactly the model's entries.
#include <map>
#include <string>
#include <utility>

#include "fuzz/fuzz_targets.h"
#include "fuzz/table_entries.h"
#include "store/counted_string_table.h"

namespace trellisk::fuzz {
namespace {

using Model = std::map<std::string, std::pair<uint32_t, uint32_t>>;
using SlotsByKey = std::map<std::string, uint32_t>;

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

// One of 48 keys; its length (1 to 70 bytes) depends on the key only.
std::string KeyFor(uint8_t choice) {
  const int index = choice % 48;
  return "k" + std::to_string(index) + std::string(static_cast<size_t>(index * 37 % 68), static_cast<char>('a' + index % 26));
}

SlotsByKey SlotsOf(const CountedStringTable& table) {
  SlotsByKey slots;
  std::string key;
  uint32_t first = 0, second = 0;
  for (uint32_t slot = 0; slot < table.slotCount(); ++slot) {
    if (table.GetAt(slot, key, first, second)) slots[key] = slot;
  }
  return slots;
}

void ExpectSameAnswer(const CountedStringTable& table, const Model& model, const std::string& key) {
  uint32_t first = 0, second = 0;
  const bool found = table.Lookup(key, first, second);
  const auto entry = model.find(key);
  Expect(found == (entry != model.end()), "the table and the model disagree on whether " + key + " is present");
  if (found) Expect(std::make_pair(first, second) == entry->second, "the counters of " + key + " differ");
  Expect(table.entryCount() == model.size(), "the entry count differs from the model's");
}

void AddToModel(Model& model, const std::string& key, uint32_t first, uint32_t second) {
  auto [entry, inserted] = model.try_emplace(key, first, second);
  if (!inserted) entry->second = {entry->second.first + first, entry->second.second + second};
}

void DecreaseInModel(Model& model, const std::string& key, uint32_t first, uint32_t second) {
  const auto entry = model.find(key);
  if (entry == model.end() || (first == 0 && second == 0)) return;
  auto& [a, b] = entry->second;
  a = a > first ? a - first : 0;
  b = b > second ? b - second : 0;
  if (a == 0 && b == 0) model.erase(entry);
}

// Applies one operation to both; false when the table refused an insertion,
// which this small key set never gives a reason for.
bool Apply(Operation operation, CountedStringTable& table, Model& model, const std::string& key, uint32_t first,
           uint32_t second) {
  switch (operation) {
    case Operation::kAdd:
      AddToModel(model, key, first, second);
      return table.Add(key, first, second);
    case Operation::kRemove:
      Expect(table.Remove(key) == (model.erase(key) == 1), "Remove answered otherwise than the model");
      return true;
    case Operation::kDecrease:
      Expect(table.Decrease(key, first, second) == model.contains(key), "Decrease answered otherwise than the model");
      DecreaseInModel(model, key, first, second);
      return true;
    case Operation::kLookup:
    case Operation::kCount:
      return true;
    case Operation::kRecordAnew:
      table.Remove(key);
      model.erase(key);
      model[key] = {first, second};
      return table.Add(key, first, second);
  }
  return true;
}

// Slots stay put unless the array grew or was filled anew to drop its
// deleted slots, which only an insertion does and which leaves none
// (recording anew removes first, so it may have made the deleted slot).
// The key recorded anew itself takes a new slot.
void ExpectSlotsKept(const SlotsByKey& before, const SlotsByKey& after, bool arrayFilledAnew,
                     const std::string& movedKey) {
  if (arrayFilledAnew) return;
  for (const auto& [key, slot] : after) {
    const auto old = before.find(key);
    if (key == movedKey) continue;
    if (old != before.end()) Expect(old->second == slot, key + " changed its slot");
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
  while (!reader.AtEnd()) {
    const auto operation = static_cast<Operation>(reader.Next() % static_cast<int>(Operation::kCount));
    const std::string key = KeyFor(reader.Next());
    const uint32_t first = reader.Next() % 4;
    const uint32_t second = reader.Next() % 4;
    const SlotsByKey before = SlotsOf(table);
    const uint32_t slotCountBefore = table.slotCount();
    const bool hadDeletedSlots = table.deletedSlotCount() > 0 || operation == Operation::kRecordAnew;
    const bool inserts = operation == Operation::kAdd || operation == Operation::kRecordAnew;
    Expect(Apply(operation, table, model, key, first, second), "the table refused to add " + key);
    const bool arrayFilledAnew = table.slotCount() != slotCountBefore ||
                                 (inserts && hadDeletedSlots && table.deletedSlotCount() == 0);
    ExpectSlotsKept(before, SlotsOf(table), arrayFilledAnew, operation == Operation::kRecordAnew ? key : "");
    ExpectSameAnswer(table, model, key);
    Expect(table.poolUsed() - table.deadPoolBytes() <= table.poolSize(), "the live entries exceed the pool");
  }
  std::vector<TableEntry> expected;
  for (const auto& [key, counters] : model) expected.emplace_back(key, counters.first, counters.second);
  Expect(TableEntries(table) == expected, "the table's entries differ from the model's");
}

}  // namespace trellisk::fuzz
