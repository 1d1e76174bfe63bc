#include "lists/list_snapshot.h"

#include <algorithm>

namespace trellisk {
namespace {

uint32_t SlotOf(const ListEntry* entry, uint32_t none) { return entry ? entry->slot : none; }

}  // namespace

ListSnapshot::ListSnapshot(std::shared_ptr<const ListEntryGroup> settled, std::shared_ptr<const ListEntryGroup> recent,
                           std::vector<uint32_t> removedSlots)
    : settled_(std::move(settled)), recent_(std::move(recent)), removedSlots_(std::move(removedSlots)) {
  std::sort(removedSlots_.begin(), removedSlots_.end());
  for (const ListEntryGroup* group : {settled_.get(), recent_.get()}) {
    if (group) AddGroup(*group);
  }
  auto bySlot = [](const Expression& a, const Expression& b) { return a.entry->slot < b.entry->slot; };
  std::sort(whiteExpressions_.begin(), whiteExpressions_.end(), bySlot);
  std::sort(blackExpressions_.begin(), blackExpressions_.end(), bySlot);
}

void ListSnapshot::AddGroup(const ListEntryGroup& group) {
  const std::vector<ListEntry>& entries = group.entries();
  for (uint32_t index = 0; index < entries.size(); ++index) {
    const ListEntry& entry = entries[index];
    if (Removed(entry.slot)) continue;
    ++liveEntries_;
    if (!IsExpressionKind(entry.kind)) continue;
    const Expression expression{&entry, &group.compiled(index)};
    (IsWhiteKind(entry.kind) ? whiteExpressions_ : blackExpressions_).push_back(expression);
    if (!*expression.compiled && (!firstInvalid_ || entry.slot < firstInvalid_->slot)) firstInvalid_ = &entry;
  }
}

bool ListSnapshot::Removed(uint32_t slot) const {
  return std::binary_search(removedSlots_.begin(), removedSlots_.end(), slot);
}

std::shared_ptr<const ListExpression> ListSnapshot::CompiledFor(const std::string& text) const {
  for (const auto* expressions : {&whiteExpressions_, &blackExpressions_}) {
    for (const Expression& expression : *expressions) {
      if (*expression.compiled && expression.entry->text == text) return *expression.compiled;
    }
  }
  return nullptr;
}

// The scan in slot order ends at the first white match or at `stop` (the
// first invalid expression still to be reported), whichever comes first;
// black matches matter only when no white one comes before the end, and then
// only the last of them.
ListSnapshot::CheckNotes ListSnapshot::Check(ListMatch& record, std::string_view text, SearchBudget& budget) const {
  const uint32_t stop = record.expressionNoticeShown ? kNoSlot : SlotOf(firstInvalid_, kNoSlot);
  const std::vector<const ListEntry*> plainMatches = PlainMatches(text);
  CheckNotes notes;
  const ListEntry* white = FirstWhiteMatch(plainMatches, text, stop, budget, notes);
  if (SlotOf(white, kNoSlot) < stop) {
    record.verdict = kWhitelisted;
    record.matchedEntry = white->text;
    return notes;
  }
  if (const ListEntry* black = LastBlackMatch(plainMatches, text, stop, budget, notes)) {
    record.verdict = kBlacklisted;
    record.matchedEntry = black->text;
  }
  if (stop != kNoSlot) notes.invalid = firstInvalid_;
  return notes;
}

bool ListSnapshot::Matches(const Expression& expression, std::string_view text, SearchBudget& budget,
                           CheckNotes& notes) const {
  if (!*expression.compiled) return false;
  const ListExpression::Outcome outcome = (*expression.compiled)->Search(text, budget);
  if (outcome == ListExpression::Outcome::kOutOfBudget) notes.outOfBudget.push_back(expression.entry);
  return outcome == ListExpression::Outcome::kMatch;
}

std::vector<const ListEntry*> ListSnapshot::PlainMatches(std::string_view text) const {
  std::vector<const ListEntry*> matches;
  for (const ListEntryGroup* group : {settled_.get(), recent_.get()}) {
    if (!group) continue;
    for (uint32_t index : group->FindPlain(text)) {
      const ListEntry& entry = group->entries()[index];
      if (!Removed(entry.slot)) matches.push_back(&entry);
    }
  }
  return matches;
}

const ListEntry* ListSnapshot::FirstWhiteMatch(const std::vector<const ListEntry*>& plainMatches,
                                               std::string_view text, uint32_t stop, SearchBudget& budget,
                                               CheckNotes& notes) const {
  const ListEntry* first = nullptr;
  for (const ListEntry* match : plainMatches) {
    if (IsWhiteKind(match->kind) && match->slot < SlotOf(first, kNoSlot)) first = match;
  }
  // Only expressions before every known end can come first.
  const uint32_t end = std::min(SlotOf(first, kNoSlot), stop);
  for (const Expression& expression : whiteExpressions_) {
    if (expression.entry->slot >= end) break;
    if (Matches(expression, text, budget, notes)) return expression.entry;
  }
  return first;
}

const ListEntry* ListSnapshot::LastBlackMatch(const std::vector<const ListEntry*>& plainMatches,
                                              std::string_view text, uint32_t stop, SearchBudget& budget,
                                              CheckNotes& notes) const {
  const ListEntry* last = nullptr;
  for (const ListEntry* match : plainMatches) {
    if (match->slot < stop && !IsWhiteKind(match->kind) && (!last || match->slot > last->slot)) last = match;
  }
  // Only expressions after the last plain match can be the last match; the
  // first of them to match from the end is it.
  for (auto expression = blackExpressions_.rbegin(); expression != blackExpressions_.rend(); ++expression) {
    const uint32_t slot = expression->entry->slot;
    if (slot >= stop) continue;
    if (last && slot < last->slot) break;
    if (Matches(*expression, text, budget, notes)) return expression->entry;
  }
  return last;
}

}  // namespace trellisk
