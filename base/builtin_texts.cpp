#include <algorithm>
#include <array>
#include <string_view>

#include "base/text_source.h"

namespace trellisk {
namespace {

struct TextEntry {
  int id;
  std::string_view text;
};

constexpr TextEntry kTexts[] = {
#define TRELLISK_TEXT(id, name, text) {id, text},
#include "base/texts.def"
#undef TRELLISK_TEXT
};

static_assert(std::is_sorted(std::begin(kTexts), std::end(kTexts),
                             [](const TextEntry& a, const TextEntry& b) { return a.id < b.id; }),
              "texts.def must list its texts in ascending id order");

}  // namespace

std::string BuiltinTexts::Load(int id) const {
  const auto found = std::lower_bound(std::begin(kTexts), std::end(kTexts), id,
                                      [](const TextEntry& entry, int key) { return entry.id < key; });
  if (found == std::end(kTexts) || found->id != id) return {};
  return std::string(found->text.substr(0, kMaxTextLength));
}

}  // namespace trellisk
