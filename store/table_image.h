// The side image of a stored table: the table's slots and pool as they are in
// memory, written beside the text file the table was saved to or loaded
// from, so that the next start takes the table as it was instead of building
// it from the text again. The text file stays the store's data; the image is
// a cache that is used only while it matches the text byte for byte and is
// itself intact, and that is rebuilt from the text otherwise.
//
//   "TRLKTBL1"                 8 bytes
//   byte order mark, version  2 x u32 (0x01020304, 1)
//   text bytes, text hash      2 x u64 (ContentHash of the whole text file)
//   store words                4 x u32 (what the store keeps beside its table)
//   table state                7 x u32 (CountedStringTable::RawState), 4 zero bytes
//   image hash                 u64: ContentHash of the header (this field
//                              taken as 0), the slots and the used pool
//   zeros up to offset 65536
//   slots                      slotCount * 8 bytes, then zeros up to the
//                              next multiple of 65536
//   pool                       poolUsed bytes
//
// The slots and the pool start at multiples of 65536 so that they can be
// mapped rather than read (ZeroedBlock::FromFile). Numbers are in the
// machine's byte order; an image from another byte order fails the mark and
// is rebuilt. Free functions; the caller owns the files
// and the table and guards them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "store/counted_string_table.h"

namespace trellisk {

// What a store keeps beside its table (the word database: its message totals).
using TableImageWords = std::array<uint32_t, 4>;

// Which text file an image belongs to.
struct TextFileTag {
  uint64_t bytes = 0;
  uint64_t hash = 0;
  bool operator==(const TextFileTag&) const = default;
};

std::string TableImagePath(const std::string& textPath);

// Writes the image of `table` for the text file `text` in place of the one
// at `imagePath` (through a new file and a rename, so that a reader sees the
// old image or the new one). False when it could not be written; nothing
// is then left at `imagePath` that could pass for an image of this text.
bool WriteTableImage(platform::FileSystem& files, const std::string& imagePath, const TextFileTag& text,
                     const TableImageWords& words, const CountedStringTable& table);

// Reads the image at `imagePath` into `table` and `words` when it is intact
// and belongs to `text`; false, with both untouched, otherwise.
bool ReadTableImage(platform::FileSystem& files, const std::string& imagePath, const TextFileTag& text,
                    TableImageWords& words, CountedStringTable& table);

}  // namespace trellisk
