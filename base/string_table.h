// The string-table resource: block n (a resource of type 6 named n) holds
// the strings n*16-16 to n*16-1, each a 16-bit count of UTF-16 units and the
// units. DecodeStringBlock and EncodeStringBlock convert a block's bytes to
// its sixteen strings and back. Thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trellisk {

using StringBlock = std::array<std::u16string, 16>;

// The block's strings; nothing when the bytes end inside one.
std::optional<StringBlock> DecodeStringBlock(std::span<const uint8_t> data);
std::vector<uint8_t> EncodeStringBlock(const StringBlock& block);

// The first string id of block `blockName`.
inline int FirstStringOfBlock(uint16_t blockName) { return (blockName - 1) * 16; }

}  // namespace trellisk
