#include "parser/replace_all.h"

#include <cstring>

namespace trellisk {

void ReplaceAll(std::string& text, std::string_view find, std::string_view replacement) {
  if (find.empty() || replacement.size() > find.size()) return;
  size_t found = text.find(find);
  if (found == std::string::npos) return;
  // Bytes before `read` are done; the result so far ends at `write`.
  size_t write = found;
  size_t read = found;
  while (found != std::string::npos) {
    std::memmove(&text[write], &text[read], found - read);
    write += found - read;
    std::memcpy(&text[write], replacement.data(), replacement.size());
    write += replacement.size();
    read = found + find.size();
    found = text.find(find, read);
  }
  std::memmove(&text[write], &text[read], text.size() - read);
  text.resize(write + text.size() - read);
}

}  // namespace trellisk
