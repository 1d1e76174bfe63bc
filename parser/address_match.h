// Finds e-mail addresses the way the sender accessor and the mail-link
// marker do: local part, "@", a domain whose last label has two to four
// letters. Linear-time matchers with the exact semantics of the patterns in
// patterns.h (kSenderAddress, kMailLinkAddress), case-insensitive.
// Pure functions; thread-safe.
#pragma once

#include <optional>
#include <string_view>

namespace trellisk {

// The first match of kSenderAddress: local part and domain both of
// [0-9a-z.\-_] and the Latin-1 letters E4, FC, F6.
std::optional<std::string_view> FindSenderAddress(std::string_view text);

struct MailLinkAddress {
  std::string_view address;
  // "?subject=..." up to the end of the text when it follows the address;
  // empty otherwise.
  std::string_view subjectPart;
};

// The first match of kMailLinkAddress: the local part without the Latin-1
// letters, then the optional "?subject=" part.
std::optional<MailLinkAddress> FindMailLinkAddress(std::string_view text);

}  // namespace trellisk
