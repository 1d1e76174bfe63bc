#include "lists/list_expression.h"

#include <locale>

namespace trellisk {

std::shared_ptr<const ListExpression> ListExpression::Compile(std::string_view pattern) {
  try {
    boost::regex expression;
    expression.imbue(std::locale::classic());
    expression.assign(pattern.data(), pattern.data() + pattern.size(), boost::regex::perl | boost::regex::icase);
    return std::make_shared<const ListExpression>(std::move(expression));
  } catch (const boost::regex_error&) {
    return nullptr;
  }
}

bool ListExpression::Search(std::string_view text) const noexcept {
  try {
    return boost::regex_search(text.begin(), text.end(), expression_, boost::match_default | boost::match_not_dot_newline);
  } catch (...) {
    return false;
  }
}

}  // namespace trellisk
