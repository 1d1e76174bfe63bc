// ListEntryGroup is a fixed set of sender-list entries prepared for
// checking: an automaton over the plain texts (list_text_automaton.h) and
// the compiled expressions. Each entry keeps its table slot, which orders
// the entries of the snapshots built from groups (list_snapshot.h).
//
// Immutable once built; shared between snapshots through shared_ptr and
// used by many threads at once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lists/list_entry_kind.h"
#include "lists/list_expression.h"
#include "lists/list_text_automaton.h"

namespace trellisk {

struct ListEntry {
  std::string text;
  ListEntryKind kind;
  uint32_t slot;
};

bool IsWhiteKind(ListEntryKind kind);
bool IsExpressionKind(ListEntryKind kind);

class ListEntryGroup {
 public:
  // An expression compiled before for this text, or null.
  using CompiledLookup = std::function<std::shared_ptr<const ListExpression>(const std::string& text)>;

  ListEntryGroup(std::vector<ListEntry> entries, const CompiledLookup& compiledBefore);

  const std::vector<ListEntry>& entries() const { return entries_; }
  // The indices of the plain entries that occur in `text`, in no order.
  std::vector<uint32_t> FindPlain(std::string_view text) const;
  // The compiled expression of entry `index`; null for a plain entry or an
  // expression that does not compile.
  const std::shared_ptr<const ListExpression>& compiled(uint32_t index) const { return compiled_[index]; }

 private:
  static std::vector<uint32_t> PlainEntryIndices(const std::vector<ListEntry>& entries);
  std::vector<std::string_view> PlainTexts() const;

  std::vector<ListEntry> entries_;
  // Automaton text id -> entry index.
  std::vector<uint32_t> plainEntries_;
  ListTextAutomaton automaton_;
  std::vector<std::shared_ptr<const ListExpression>> compiled_;
};

}  // namespace trellisk
