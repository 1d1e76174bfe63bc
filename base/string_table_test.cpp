// The string table compiled into a Windows module (ui/trellisk.rc) holds exactly
// the texts of texts.def: the resource compiler reads the same table, and
// the system's string loader gives every text back byte for byte.
#include <gtest/gtest.h>

#include <string_view>

#include "base/text_source.h"

namespace trellisk {
namespace {

struct TableText {
  int id;
  std::string_view text;
};

constexpr TableText kTable[] = {
#define TRELLISK_TEXT(id, name, text) {id, text},
#include "base/texts.def"
#undef TRELLISK_TEXT
};

TEST(StringTable, EveryTextLoadsAsWritten) {
  const BuiltinTexts texts;
  for (const TableText& entry : kTable) EXPECT_EQ(texts.Load(entry.id), entry.text) << "text " << entry.id;
}

TEST(StringTable, IdsBetweenTheTextsAreEmpty) {
  const BuiltinTexts texts;
  for (size_t i = 1; i < std::size(kTable); ++i) {
    for (int id = kTable[i - 1].id + 1; id < kTable[i].id; ++id) EXPECT_EQ(texts.Load(id), "") << id;
  }
}

}  // namespace
}  // namespace trellisk
