#include "ui/terminal/wide_text.h"

#include <algorithm>
#include <cwchar>

#include "platform/code_page.h"

namespace trellisk::ui::terminal {

std::wstring Wide(std::string_view utf8) {
  const std::u16string units = platform::Utf8ToUtf16(utf8);
  std::wstring text;
  text.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char32_t unit = units[i];
    const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
                      units[i + 1] < 0xE000;
    if (pair) {
      text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
    } else {
      text += static_cast<wchar_t>(unit);
    }
  }
  return text;
}

std::string Narrow(std::wstring_view text) {
  std::u16string units;
  units.reserve(text.size());
  for (wchar_t c : text) {
    const auto point = static_cast<char32_t>(c);
    if (point >= 0x10000) {
      units += static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
      units += static_cast<char16_t>(0xDC00 + ((point - 0x10000) & 0x3FF));
    } else {
      units += static_cast<char16_t>(point);
    }
  }
  return platform::Utf16ToUtf8(units);
}

int CellWidth(wchar_t c) {
  const int width = ::wcwidth(c);
  return width < 0 ? 1 : width;
}

int CellWidth(std::wstring_view text) {
  int cells = 0;
  for (wchar_t c : text) cells += CellWidth(c);
  return cells;
}

std::wstring_view FitCells(std::wstring_view text, int cells) {
  size_t count = 0;
  for (int used = 0; count < text.size(); ++count) {
    used += CellWidth(text[count]);
    if (used > cells) break;
  }
  return text.substr(0, count);
}

std::vector<std::wstring> SplitLines(std::wstring_view text) {
  std::vector<std::wstring> lines(1);
  for (wchar_t c : text) {
    if (c == L'\n') {
      lines.emplace_back();
    } else if (c != L'\r') {
      lines.back() += c;
    }
  }
  return lines;
}

std::vector<std::wstring> WrapLines(std::wstring_view text, int width) {
  std::vector<std::wstring> wrapped;
  for (std::wstring line : SplitLines(text)) {
    while (width > 0 && CellWidth(line) > width) {
      const size_t fits = std::max<size_t>(1, FitCells(line, width).size());
      size_t cut = line.rfind(L' ', fits);
      if (cut == std::wstring::npos || cut == 0) cut = fits;
      wrapped.push_back(line.substr(0, cut));
      line.erase(0, line[cut] == L' ' ? cut + 1 : cut);
    }
    wrapped.push_back(line);
  }
  return wrapped;
}

std::wstring WithoutMnemonics(std::wstring_view text) {
  std::wstring plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

}  // namespace trellisk::ui::terminal
