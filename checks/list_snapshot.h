// ListSnapshot is a frozen copy of the sender lists, prepared for checking
// texts fast: the entries in table slot order, an automaton over the plain
// texts and the compiled expressions. A check gives exactly what scanning
// the entries one by one in slot order gives -- a white match ends the scan,
// of several black matches the last one scanned counts, and the first
// invalid expression not yet reported to a record ends that record's check
// -- but it searches the text once for all plain texts and runs only the
// expressions that can still change the outcome.
//
// Immutable once built; Check may run on many threads at once, each with
// its own record. The lists own the current snapshot through shared_ptr and
// build a new one after a change; a check keeps the one it started with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "checks/list_entry_kind.h"
#include "checks/list_expression.h"
#include "checks/list_match.h"
#include "checks/list_text_automaton.h"

namespace trellisk {

class ListSnapshot {
 public:
  struct Entry {
    std::string text;
    ListEntryKind kind;
  };

  // `entries` in slot order. Expressions compiled by `previous` (may be
  // null) are taken over instead of being compiled again.
  ListSnapshot(std::vector<Entry> entries, const ListSnapshot* previous);

  bool empty() const { return entries_.empty(); }

  // Checks a non-empty text and updates the record's verdict and matched
  // entry. Returns the invalid expression that ended the check, which the
  // caller reports to the user; null when the check ran to its end.
  const Entry* Check(ListMatch& record, std::string_view text) const;

 private:
  static constexpr uint32_t kNone = UINT32_MAX;

  struct Expression {
    uint32_t entry;
    // Null for an entry that is not a valid expression.
    std::shared_ptr<const ListExpression> compiled;
  };

  static std::vector<uint32_t> PlainEntryIndices(const std::vector<Entry>& entries);
  std::vector<std::string_view> PlainTexts() const;
  void CompileExpressions(const ListSnapshot* previous);
  std::shared_ptr<const ListExpression> CompiledBefore(const std::string& text) const;
  uint32_t FirstWhiteMatch(const std::vector<uint32_t>& plainMatches, std::string_view text, uint32_t stop) const;
  uint32_t LastBlackMatch(const std::vector<uint32_t>& plainMatches, std::string_view text, uint32_t stop) const;

  std::vector<Entry> entries_;
  // Automaton text id -> entry index.
  std::vector<uint32_t> plainEntries_;
  ListTextAutomaton automaton_;
  // In slot order.
  std::vector<Expression> whiteExpressions_;
  std::vector<Expression> blackExpressions_;
  uint32_t firstInvalid_ = kNone;
};

bool IsWhiteKind(ListEntryKind kind);
bool IsExpressionKind(ListEntryKind kind);

}  // namespace trellisk
