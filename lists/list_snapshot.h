// ListSnapshot is a frozen view of the sender lists, prepared for checking
// texts fast. It is made of a settled group of entries (list_entry_group.h),
// optionally a small group of entries added since, and the slots of settled
// entries removed since, so that a change to long lists costs a rebuild of
// the small group only. All entries of one snapshot come from one table
// layout, so their slots give the scan order.
//
// A check gives exactly what scanning the entries one by one in slot order
// gives -- a white match ends the scan, of several black matches the last
// one scanned counts, and the first invalid expression not yet reported to
// a record ends that record's check -- but it searches the text once per
// group for all plain texts and runs only the expressions that can still
// change the outcome.
//
// Immutable once built; Check may run on many threads at once, each with
// its own record. The lists own the current snapshot through shared_ptr; a
// check keeps the one it started with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/list_match.h"
#include "lists/list_entry_group.h"
#include "lists/search_budget.h"

namespace trellisk {

class ListSnapshot {
 public:
  // `recent` may be null. `removedSlots` name settled entries that no
  // longer count.
  ListSnapshot(std::shared_ptr<const ListEntryGroup> settled, std::shared_ptr<const ListEntryGroup> recent,
               std::vector<uint32_t> removedSlots);

  bool empty() const { return liveEntries_ == 0; }
  const std::shared_ptr<const ListEntryGroup>& settled() const { return settled_; }

  // What one check found besides the verdict.
  struct CheckNotes {
    // The invalid expression that ended the check, which the caller
    // reports to the user; null when the check ran to its end.
    const ListEntry* invalid = nullptr;
    // Expressions that ran out of the search budget (no match).
    std::vector<const ListEntry*> outOfBudget;
  };

  // Checks a non-empty text and updates the record's verdict and matched
  // entry; the expressions' searches share `budget`.
  CheckNotes Check(ListMatch& record, std::string_view text, SearchBudget& budget) const;

  // The compiled expression of a live entry with this text, or null: lets
  // the next snapshot take it over instead of compiling again.
  std::shared_ptr<const ListExpression> CompiledFor(const std::string& text) const;

 private:
  static constexpr uint32_t kNoSlot = UINT32_MAX;

  struct Expression {
    const ListEntry* entry;
    // Null for an entry that is not a valid expression.
    const std::shared_ptr<const ListExpression>* compiled;
  };

  void AddGroup(const ListEntryGroup& group);
  bool Removed(uint32_t slot) const;
  std::vector<const ListEntry*> PlainMatches(std::string_view text) const;
  bool Matches(const Expression& expression, std::string_view text, SearchBudget& budget, CheckNotes& notes) const;
  const ListEntry* FirstWhiteMatch(const std::vector<const ListEntry*>& plainMatches, std::string_view text,
                                   uint32_t stop, SearchBudget& budget, CheckNotes& notes) const;
  const ListEntry* LastBlackMatch(const std::vector<const ListEntry*>& plainMatches, std::string_view text,
                                  uint32_t stop, SearchBudget& budget, CheckNotes& notes) const;

  std::shared_ptr<const ListEntryGroup> settled_;
  std::shared_ptr<const ListEntryGroup> recent_;
  // Sorted.
  std::vector<uint32_t> removedSlots_;
  size_t liveEntries_ = 0;
  // Live expressions in slot order.
  std::vector<Expression> whiteExpressions_;
  std::vector<Expression> blackExpressions_;
  const ListEntry* firstInvalid_ = nullptr;
};

}  // namespace trellisk
