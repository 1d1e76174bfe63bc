#include "lists/list_file_format.h"

#include "base/ascii.h"
#include "base/text_line_end.h"

namespace trellisk {

ListLine ParseListLine(std::string_view line) {
  std::string_view text = Trim(line.substr(0, line.find('\0')));
  if (StartsWithIgnoreCase(text, kExpressionPrefix)) {
    return {Trim(text.substr(kExpressionPrefix.size())), true};
  }
  if (StartsWithIgnoreCase(text, kTextPrefix)) text = Trim(text.substr(kTextPrefix.size()));
  return {text, false};
}

std::string FormatListLine(std::string_view text, bool expression) {
  std::string line(expression ? kExpressionPrefix : kTextPrefix);
  line += ' ';
  line += text;
  line += '\n';
  return line;
}

std::string_view KeepNewestLines(std::string_view text, uint32_t limit) {
  if (limit == 0 || text.size() <= limit) return text;
  const std::string_view kept = text.substr(text.size() - limit);
  const size_t firstLineEnd = kept.find('\n');
  if (firstLineEnd == std::string_view::npos) return {};
  return kept.substr(firstLineEnd + 1);
}

}  // namespace trellisk
