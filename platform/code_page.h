// Conversion between 8-bit text in a Windows code page (1250, 1251, 1252,
// 936, 950, ...) and UTF-16, and between UTF-16 and UTF-8. On Windows the
// system converts; elsewhere iconv does. Thread-safe.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trellisk::platform {

// Nothing when the code page is unknown here or the text is not valid in it.
std::optional<std::u16string> CodePageToUtf16(std::string_view text, uint32_t codePage);
std::optional<std::string> Utf16ToCodePage(std::u16string_view text, uint32_t codePage);

// UTF-16 <-> UTF-8; an unpaired surrogate becomes U+FFFD, a byte that is not
// UTF-8 becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace trellisk::platform
