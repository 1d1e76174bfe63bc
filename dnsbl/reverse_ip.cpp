#include "dnsbl/reverse_ip.h"

#include <array>
#include <cstddef>

namespace trellisk {
namespace {

using Groups = std::array<std::string_view, 4>;

constexpr size_t kMaxGroupDigits = 3;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

size_t DigitsAt(std::string_view text, size_t pos) {
  size_t count = 0;
  while (count < kMaxGroupDigits && pos + count < text.size() && IsDigit(text[pos + count])) ++count;
  return count;
}

// Matches groups `group`..3 from `pos`. Longer groups are tried first and
// shorter ones only when the rest fails, which gives the same match as the
// greedy pattern ([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,3}).
bool MatchGroupsAt(std::string_view text, size_t pos, size_t group, Groups& groups) {
  for (size_t length = DigitsAt(text, pos); length > 0; --length) {
    groups[group] = text.substr(pos, length);
    if (group + 1 == groups.size()) return true;
    const size_t dot = pos + length;
    if (dot < text.size() && text[dot] == '.' && MatchGroupsAt(text, dot + 1, group + 1, groups)) return true;
  }
  return false;
}

bool FindDottedQuad(std::string_view text, Groups& groups) {
  for (size_t start = 0; start < text.size(); ++start) {
    if (MatchGroupsAt(text, start, 0, groups)) return true;
  }
  return false;
}

bool IsPrivateRelay(std::string_view address) {
  return address.starts_with("127") || address.starts_with("192.168");
}

}  // namespace

std::string ReverseIP(std::string_view address) {
  Groups groups;
  if (IsPrivateRelay(address) || !FindDottedQuad(address, groups)) return {};
  std::string reversed;
  reversed.reserve(address.size());
  for (size_t i = groups.size(); i > 0; --i) {
    reversed += groups[i - 1];
    if (i > 1) reversed += '.';
  }
  return reversed;
}

bool StartsWithDottedQuad(std::string_view name) {
  size_t pos = 0;
  for (int number = 0; number < 4; ++number) {
    if (number > 0) {
      if (pos >= name.size() || name[pos] != '.') return false;
      ++pos;
    }
    const size_t digits = DigitsAt(name, pos);
    if (digits == 0) return false;
    unsigned value = 0;
    for (size_t i = 0; i < digits; ++i) value = value * 10 + static_cast<unsigned>(name[pos + i] - '0');
    pos += digits;
    if (value > 255) return false;
  }
  return pos == name.size() || name[pos] == '.';
}

}  // namespace trellisk
