// Compiles the parser's regular expressions the one way they must be
// compiled: Boost.Regex Perl syntax, "." matching line breaks, and the
// classic locale, so that case-insensitive matching folds the ASCII letters
// only and [[:space:]] is the same on every machine, whatever the process
// locale. Pure function; the result may be shared between threads for
// matching.
#pragma once

#include <boost/regex.hpp>
#include <string_view>

namespace trellisk {

enum class RegexCase { kSensitive, kIgnore };

boost::regex CompilePattern(std::string_view pattern, RegexCase regexCase);

}  // namespace trellisk
