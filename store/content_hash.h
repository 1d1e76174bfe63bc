// ContentHash: a 64-bit hash of a byte stream, fed in pieces of any size,
// for telling whether a file is still the one whose hash was recorded. Four
// independent lanes over 64-byte blocks, each folding a 128-bit product of
// sixteen bytes, keep it at many bytes per cycle; the pieces' boundaries do
// not change the result. It is no cryptographic hash: it guards against
// accident, not against an adversary.
//
// A value type; one thread at a time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace trellisk {

class ContentHash {
 public:
  void Add(std::string_view bytes);
  // The hash of every byte added so far, and their count.
  uint64_t Value() const;
  uint64_t byteCount() const { return byteCount_; }

 private:
  static constexpr size_t kBlockBytes = 64;
  void AddBlock(const char* block);

  std::array<uint64_t, 4> lanes_ = {0x9E3779B97F4A7C15ull, 0xC2B2AE3D27D4EB4Full, 0x165667B19E3779F9ull,
                                    0x27D4EB2F165667C5ull};
  std::array<char, kBlockBytes> pending_{};
  size_t pendingBytes_ = 0;
  uint64_t byteCount_ = 0;
};

}  // namespace trellisk
