// The literal algorithms of the parser's cleaning steps, kept as oracles for
// the linear implementations: every search is a Boost.Regex search with the
// pattern texts of patterns.h, restarted from the beginning of the text after
// each change exactly as the algorithms are defined, and doublets are merged by
// comparing every pair. Slow (quadratic) by design; tests only.
//
// Each compiled pattern is shared read-only; the functions are thread-safe
// for distinct arguments.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "parser/address_match.h"
#include "parser/cleaning_steps.h"
#include "parser/header_decoder.h"
#include "parser/relay_scan.h"

namespace trellisk::oracle {

void RemoveTricks(std::string& text);
void RemoveHTMLComments(std::string& text, Tokenizer& words);
void ParseHTML(std::string_view text, Tokenizer& words);
void RemoveHTMLTags(std::string& text);
void MergeWordDoublets(WordVector& words);

// The table of the functions above.
const CleaningSteps& LiteralCleaningSteps();

// Boost.Regex versions of the single-pattern matchers.
std::optional<EncodedWord> FindEncodedWord(std::string_view line, size_t from);
std::optional<TextSpan> FindDottedQuad(std::string_view line, size_t from);
std::optional<TextSpan> FindHostName(std::string_view line, size_t from);
std::optional<std::string_view> FindSenderAddress(std::string_view text);
std::optional<MailLinkAddress> FindMailLinkAddress(std::string_view text);

}  // namespace trellisk::oracle
