// Code-page conversion with iconv, which names the Windows code pages.
#include <errno.h>
#include <iconv.h>

#include <memory>
#include <vector>

#include "platform/code_page.h"

namespace trellisk::platform {
namespace {

std::string IconvName(uint32_t codePage) {
  switch (codePage) {
    case 936: return "CP936";
    case 950: return "BIG5";
    default: return "CP" + std::to_string(codePage);
  }
}

// All of `input` converted from one encoding to another, or nothing.
std::optional<std::string> Convert(const std::string& from, const std::string& to, std::string_view input) {
  iconv_t converter = iconv_open(to.c_str(), from.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::unique_ptr<void, int (*)(iconv_t)> closer(converter, iconv_close);
  std::vector<char> in(input.begin(), input.end());
  std::string out(input.size() * 4 + 16, '\0');
  char* inPointer = in.data();
  size_t inLeft = in.size();
  char* outPointer = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno != E2BIG) return std::nullopt;
    const size_t used = out.size() - outLeft;
    out.resize(out.size() * 2);
    outPointer = out.data() + used;
    outLeft = out.size() - used;
  }
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::optional<std::u16string> CodePageToUtf16(std::string_view text, uint32_t codePage) {
  const auto converted = Convert(IconvName(codePage), "UTF-16LE", text);
  if (!converted) return std::nullopt;
  std::u16string out(converted->size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>((*converted)[2 * i]) |
                                   static_cast<unsigned char>((*converted)[2 * i + 1]) << 8);
  }
  return out;
}

std::optional<std::string> Utf16ToCodePage(std::u16string_view text, uint32_t codePage) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return Convert("UTF-16LE", IconvName(codePage), bytes);
}

}  // namespace trellisk::platform
