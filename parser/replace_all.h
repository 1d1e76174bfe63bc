// In-place text replacement shared by the header decoder and the HTML
// cleaner. Pure function, thread-safe; the caller owns the text.
#pragma once

#include <string>
#include <string_view>

namespace trellisk {

// Replaces every occurrence of `find` (case-sensitive, searched from the
// start and resumed just after each replacement) with `replacement`. Does
// nothing when `replacement` is longer than `find` or `find` is empty, so
// the text only ever gets shorter. One pass, linear in the text.
void ReplaceAll(std::string& text, std::string_view find, std::string_view replacement);

}  // namespace trellisk
