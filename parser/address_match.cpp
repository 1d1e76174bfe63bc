#include "parser/address_match.h"

#include "base/ascii.h"

namespace trellisk {
namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsPlainAddressByte(char c) {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
}

bool IsUmlautByte(char c) { return c == '\xE4' || c == '\xFC' || c == '\xF6'; }

bool IsDomainByte(char c) { return IsPlainAddressByte(c) || IsUmlautByte(c); }

// The end of the address whose domain starts at `domainBegin`: the greedy
// domain run backs off to the last "." that is followed by two letters, and
// up to four letters are taken from there. npos when there is none.
size_t AddressEnd(std::string_view text, size_t domainBegin) {
  size_t runEnd = domainBegin;
  while (runEnd < text.size() && IsDomainByte(text[runEnd])) ++runEnd;
  for (size_t dot = runEnd; dot-- > domainBegin + 1;) {
    // The letters after the dot are domain bytes, so they lie inside the run.
    if (text[dot] != '.' || dot + 2 >= runEnd) continue;
    if (IsAsciiLetter(text[dot + 1]) && IsAsciiLetter(text[dot + 2])) {
      size_t end = dot + 3;
      while (end < text.size() && end < dot + 5 && IsAsciiLetter(text[end])) ++end;
      return end;
    }
  }
  return std::string_view::npos;
}

// The first address: each run of local-part bytes that is followed by an
// "@" is tried at its first byte, since every later start inside the run
// reaches the same "@".
template <typename LocalByte>
std::optional<std::pair<size_t, size_t>> FindAddress(std::string_view text, LocalByte isLocalByte) {
  size_t i = 0;
  while (i < text.size()) {
    if (!isLocalByte(text[i])) {
      ++i;
      continue;
    }
    const size_t runBegin = i;
    while (i < text.size() && isLocalByte(text[i])) ++i;
    if (i < text.size() && text[i] == '@') {
      const size_t end = AddressEnd(text, i + 1);
      if (end != std::string_view::npos) return std::make_pair(runBegin, end);
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string_view> FindSenderAddress(std::string_view text) {
  const auto found = FindAddress(text, IsDomainByte);
  if (!found) return std::nullopt;
  return text.substr(found->first, found->second - found->first);
}

std::optional<MailLinkAddress> FindMailLinkAddress(std::string_view text) {
  const auto found = FindAddress(text, IsPlainAddressByte);
  if (!found) return std::nullopt;
  MailLinkAddress link;
  link.address = text.substr(found->first, found->second - found->first);
  if (StartsWithIgnoreCase(text.substr(found->second), "?subject=")) link.subjectPart = text.substr(found->second);
  return link;
}

}  // namespace trellisk
