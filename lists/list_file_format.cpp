#include "lists/list_file_format.h"

#include "base/ascii.h"
#include "store/text_line_end.h"

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

std::string WithTextLineEnds(std::string_view text) {
  if (kTextLineEnd == "\n") return std::string(text);
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (c == '\n') {
      bytes.append(kTextLineEnd);
    } else {
      bytes.push_back(c);
    }
  }
  return bytes;
}

}  // namespace trellisk
