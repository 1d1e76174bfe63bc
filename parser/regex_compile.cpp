#include "parser/regex_compile.h"

#include <locale>

namespace trellisk {

boost::regex CompilePattern(std::string_view pattern, RegexCase regexCase) {
  boost::regex::flag_type flags = boost::regex::perl | boost::regex::mod_s;
  if (regexCase == RegexCase::kIgnore) flags |= boost::regex::icase;
  boost::regex expression;
  expression.imbue(std::locale::classic());
  expression.assign(pattern.data(), pattern.data() + pattern.size(), flags);
  return expression;
}

}  // namespace trellisk
