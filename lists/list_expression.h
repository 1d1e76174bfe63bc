// ListExpression is one regular-expression entry of the sender lists,
// compiled once: Boost.Regex Perl syntax, case-insensitive in the classic
// locale (ASCII letters fold, whatever the process locale), searched
// anywhere in a text with "." never matching a line break.
//
// Immutable once compiled; Search may run on many threads at once. Owned
// through shared_ptr by the list snapshots that use it.
#pragma once

#include <boost/regex.hpp>
#include <memory>
#include <string_view>

#include "lists/search_budget.h"

namespace trellisk {

class ListExpression {
 public:
  // Null when `pattern` is not a valid expression.
  static std::shared_ptr<const ListExpression> Compile(std::string_view pattern);

  enum class Outcome { kMatch, kNoMatch, kOutOfBudget };
  // Whether the expression matches somewhere in `text`, reading no more
  // characters than the budget allows (and spending what it read). A search
  // that the engine gives up (too complex, too deep) or that fails in any
  // other way is no match; one that runs out of budget says so.
  Outcome Search(std::string_view text, SearchBudget& budget) const noexcept;

  explicit ListExpression(boost::regex expression) : expression_(std::move(expression)) {}

 private:
  boost::regex expression_;
};

}  // namespace trellisk
