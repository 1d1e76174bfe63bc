#include "lists/list_entry_group.h"

namespace trellisk {

bool IsWhiteKind(ListEntryKind kind) { return kind == kWhiteText || kind == kWhiteRegExp; }
bool IsExpressionKind(ListEntryKind kind) { return kind == kBlackRegExp || kind == kWhiteRegExp; }

ListEntryGroup::ListEntryGroup(std::vector<ListEntry> entries, const CompiledLookup& compiledBefore)
    : entries_(std::move(entries)), plainEntries_(PlainEntryIndices(entries_)), automaton_(PlainTexts()) {
  compiled_.resize(entries_.size());
  for (size_t index = 0; index < entries_.size(); ++index) {
    const ListEntry& entry = entries_[index];
    if (!IsExpressionKind(entry.kind)) continue;
    compiled_[index] = compiledBefore ? compiledBefore(entry.text) : nullptr;
    if (!compiled_[index]) compiled_[index] = ListExpression::Compile(entry.text);
  }
}

std::vector<uint32_t> ListEntryGroup::PlainEntryIndices(const std::vector<ListEntry>& entries) {
  std::vector<uint32_t> indices;
  for (uint32_t index = 0; index < entries.size(); ++index) {
    if (!IsExpressionKind(entries[index].kind)) indices.push_back(index);
  }
  return indices;
}

std::vector<std::string_view> ListEntryGroup::PlainTexts() const {
  std::vector<std::string_view> texts;
  texts.reserve(plainEntries_.size());
  for (uint32_t index : plainEntries_) texts.push_back(entries_[index].text);
  return texts;
}

std::vector<uint32_t> ListEntryGroup::FindPlain(std::string_view text) const {
  std::vector<uint32_t> found = automaton_.FindOccurring(text);
  for (uint32_t& id : found) id = plainEntries_[id];
  return found;
}

}  // namespace trellisk
