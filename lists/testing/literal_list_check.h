// The sender-list check written the plain way, as the oracle for the fast
// one: entry after entry in table slot order, fetched by GetByIndex, each
// plain text searched over the whole text and each expression compiled and
// searched on its own. Slow (entries x text) but obviously right; tests
// compare CBlackWhitelist::CheckBlackWhitelist with it.
//
// Tests only. Thread-safe as far as the lists are; the record belongs to the
// caller.
#pragma once

#include <functional>
#include <string_view>

#include "lists/black_whitelist.h"

namespace trellisk::testing {

// Called for the invalid expression that ends a check.
using ExpressionNotice = std::function<void(std::string_view expression, ListEntryKind kind)>;

bool LiteralCheckBlackWhitelist(CBlackWhitelist& lists, ListMatch& record, std::string_view text, bool reset,
                                const ExpressionNotice& notice);

// Whether `pattern` occurs in `text`, ASCII letters compared without regard
// to case: the naive search, position by position.
bool ContainsFolded(std::string_view text, std::string_view pattern);

}  // namespace trellisk::testing
