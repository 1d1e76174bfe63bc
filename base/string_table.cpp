#include "base/string_table.h"

#include "base/little_endian.h"

namespace trellisk {

std::optional<StringBlock> DecodeStringBlock(std::span<const uint8_t> data) {
  StringBlock block;
  ByteReader reader(data);
  for (std::u16string& text : block) {
    if (reader.AtEnd()) break;
    const uint16_t length = reader.U16();
    if (!reader.Has(2ull * length)) return std::nullopt;
    for (uint16_t i = 0; i < length; ++i) text += static_cast<char16_t>(reader.U16());
  }
  return block;
}

std::vector<uint8_t> EncodeStringBlock(const StringBlock& block) {
  ByteWriter out;
  for (const std::u16string& text : block) {
    out.U16(static_cast<uint16_t>(text.size()));
    for (const char16_t unit : text) out.U16(unit);
  }
  return std::move(out.bytes());
}

}  // namespace trellisk
