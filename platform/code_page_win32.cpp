// Code-page conversion with the system's converters.
#include <windows.h>

#include "platform/code_page.h"

namespace trellisk::platform {

std::optional<std::u16string> CodePageToUtf16(std::string_view text, uint32_t codePage) {
  if (text.empty()) return std::u16string();
  const int size = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (units <= 0) return std::nullopt;
  std::u16string out(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, reinterpret_cast<wchar_t*>(out.data()), units);
  return out;
}

std::optional<std::string> Utf16ToCodePage(std::u16string_view text, uint32_t codePage) {
  if (text.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int size = static_cast<int>(text.size());
  BOOL lossy = FALSE;
  const int bytes = WideCharToMultiByte(codePage, 0, wide, size, nullptr, 0, nullptr, &lossy);
  if (bytes <= 0 || lossy) return std::nullopt;
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, wide, size, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace trellisk::platform
