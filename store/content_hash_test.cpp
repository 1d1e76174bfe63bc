#include "store/content_hash.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace trellisk {
namespace {

uint64_t HashInPieces(const std::string &bytes, size_t piece) {
  ContentHash hash;
  for (size_t at = 0; at < bytes.size(); at += piece) hash.Add(std::string_view(bytes).substr(at, piece));
  return hash.Value();
}

TEST(ContentHash, ThePiecesDoNotMatterButEveryByteAndTheLengthDo) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += static_cast<char>(i * 7 + i / 13);
  const uint64_t whole = HashInPieces(bytes, bytes.size());
  for (const size_t piece : {1, 3, 31, 32, 33, 64, 999}) EXPECT_EQ(HashInPieces(bytes, piece), whole) << piece;

  std::set<uint64_t> seen{whole};
  for (const size_t at : {0, 31, 32, 500, 999}) {
    std::string changed = bytes;
    changed[at] ^= 1;
    EXPECT_TRUE(seen.insert(HashInPieces(changed, 17)).second) << at;
  }
  EXPECT_TRUE(seen.insert(HashInPieces(bytes + '\0', 17)).second) << "a zero byte more";
  EXPECT_TRUE(seen.insert(HashInPieces(std::string(32, '\0'), 32)).second);
  EXPECT_TRUE(seen.insert(HashInPieces(std::string(64, '\0'), 32)).second);
}

}  // namespace
}  // namespace trellisk
