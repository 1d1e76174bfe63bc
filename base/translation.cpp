#include "base/translation.h"

#include <map>

#include "base/dialog_template.h"
#include "base/string_table.h"
#include "platform/code_page.h"

namespace trellisk {
namespace {

using platform::Resource;

// The character set of every language number, as Windows numbers them.
constexpr std::array<uint8_t, 30> kLanguageCharsets = {
    0,   204, 204, 238, 0, 204, 204, 238, 0, 0, 0,   0,   0,   0,   238,
    238, 0,   186, 134, 0, 0,   162, 204, 0, 238, 161, 204, 238, 238, 136};

uint32_t CharsetCodePage(uint8_t charset) {
  switch (charset) {
    case 204: return 1251;
    case 238: return 1250;
    case 186: return 1257;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    default: return 1252;
  }
}

// The translated texts of one record, looked up by key; the last group or
// item of a key wins.
struct Dictionary {
  struct Group {
    std::string value;
    std::map<std::string, std::string> items;
  };
  std::map<std::string, Group> groups;

  explicit Dictionary(const LanguageRecord& record) {
    for (const LanguageGroup& group : record.groups) {
      Group& entry = groups[group.key];
      entry.value = group.value;
      for (const LanguageItem& item : group.items) {
        if (!item.texts.empty()) entry.items[item.key] = item.texts.back();
      }
    }
  }
};

std::string ToCodePage(const std::u16string& text, uint32_t codePage) {
  if (auto converted = platform::Utf16ToCodePage(text, codePage)) return *converted;
  return platform::Utf16ToUtf8(text);
}

std::u16string FromCodePage(const std::string& text, uint32_t codePage) {
  if (auto converted = platform::CodePageToUtf16(text, codePage)) return *converted;
  return platform::Utf8ToUtf16(text);
}

template <typename Box>
void Move(Box& box, const PositionOffset& offset) {
  box.x = static_cast<int16_t>(box.x + offset[0]);
  box.y = static_cast<int16_t>(box.y + offset[1]);
  box.width = static_cast<int16_t>(box.width + offset[2]);
  box.height = static_cast<int16_t>(box.height + offset[3]);
}

// Puts the replacement's text into `text` and its offsets onto the box.
template <typename Box>
void Replace(std::u16string& text, Box& box, const std::string& replacement, uint32_t codePage) {
  std::optional<PositionOffset> offset;
  text = FromCodePage(SplitPositionSuffix(replacement, offset), codePage);
  if (offset) Move(box, *offset);
}

std::string DialogNumber(const platform::ResourceName& name) {
  return name.IsNumber() ? std::to_string(name.id) : platform::Utf16ToUtf8(name.name);
}

bool TranslateDialog(Resource& resource, const Dictionary& dictionary, uint32_t codePage) {
  auto dialog = ParseDialogTemplate(resource.data);
  if (!dialog) return false;
  const std::string caption = ToCodePage(dialog->title, codePage);
  const std::string key = TranslationKey("DL_", DialogNumber(resource.name), caption);
  const auto group = dictionary.groups.find(key);
  if (group == dictionary.groups.end()) return false;
  Replace(dialog->title, *dialog, group->second.value, codePage);
  for (DialogItem& item : dialog->items) {
    if (item.title.number) continue;
    const std::string itemKey = TranslationKey("I_", std::to_string(DialogItemId(*dialog, item)), ToCodePage(item.title.text, codePage));
    const auto found = group->second.items.find(itemKey);
    if (found != group->second.items.end()) Replace(item.title.text, item, found->second, codePage);
  }
  resource.data = EncodeDialogTemplate(*dialog);
  return true;
}

// Replaces the block's non-empty strings with the next translated texts
// while they last.
void TranslateStrings(Resource& resource, const std::vector<LanguageString>& texts, size_t& next,
                      uint32_t codePage) {
  auto block = DecodeStringBlock(resource.data);
  if (!block || next >= texts.size()) return;
  for (std::u16string& text : *block) {
    if (text.empty() || next >= texts.size()) continue;
    text = FromCodePage(texts[next++].text, codePage);
  }
  resource.data = EncodeStringBlock(*block);
}

bool IsUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

uint32_t LanguageCodePage(uint32_t language) {
  return CharsetCodePage(language < kLanguageCharsets.size() ? kLanguageCharsets[language] : 0);
}

std::string TranslationKey(std::string_view prefix, std::string_view number, std::string_view text) {
  std::string start(text.substr(0, 6));
  for (char& c : start) {
    if (kKeyPunctuation.find(c) != std::string_view::npos) c = '_';
  }
  return std::string(prefix) + std::string(number) + "_" + start + std::to_string(text.size());
}

std::string SplitPositionSuffix(std::string_view text, std::optional<PositionOffset>& offset) {
  offset.reset();
  const size_t bar = text.rfind('|');
  if (bar == std::string_view::npos || text.size() - bar != 9) return std::string(text);
  const std::string_view digits = text.substr(bar + 1);
  for (const char c : digits) {
    if (!IsUpperHexDigit(c)) return std::string(text);
  }
  PositionOffset parsed{};
  for (size_t i = 0; i < 4; ++i) {
    parsed[i] = static_cast<int8_t>(std::stoi(std::string(digits.substr(2 * i, 2)), nullptr, 16));
  }
  offset = parsed;
  return std::string(text.substr(0, bar));
}

std::vector<Resource> TranslateResources(const std::vector<Resource>& own, const LanguageRecord& record) {
  const uint32_t codePage = LanguageCodePage(record.language);
  const Dictionary dictionary(record);
  std::vector<Resource> translated = own;
  platform::SortResources(translated);
  size_t nextString = 0;
  for (Resource& resource : translated) {
    if (resource.type == platform::ResourceName::Number(platform::kResourceTypeDialog)) {
      TranslateDialog(resource, dictionary, codePage);
    } else if (resource.type == platform::ResourceName::Number(platform::kResourceTypeString)) {
      TranslateStrings(resource, record.strings, nextString, codePage);
    }
  }
  return translated;
}

}  // namespace trellisk
