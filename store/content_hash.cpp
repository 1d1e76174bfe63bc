#include "store/content_hash.h"

#include <algorithm>
#include <cstring>

namespace trellisk {
namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;
// One constant per lane, so that equal lanes of input do not cancel.
constexpr uint64_t kLaneKeys[4] = {0xA0761D6478BD642Full, 0xE7037ED1A0B428DBull, 0x8EBC6AF09C88C6E3ull,
                                   0x589965CC75374CC3ull};

inline uint64_t Load64(const char* at) {
  uint64_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// The 128-bit product of a and b, its halves folded together: one
// multiplication mixes sixteen bytes. Without a 128-bit type (32-bit
// builds) from four 32-bit products.
constexpr uint64_t MultiplyFoldByHalves(uint64_t a, uint64_t b) {
  const uint64_t aLow = a & 0xFFFFFFFF, aHigh = a >> 32, bLow = b & 0xFFFFFFFF, bHigh = b >> 32;
  const uint64_t low = aLow * bLow, middle1 = aLow * bHigh, middle2 = aHigh * bLow, high = aHigh * bHigh;
  const uint64_t carry = ((low >> 32) + (middle1 & 0xFFFFFFFF) + (middle2 & 0xFFFFFFFF)) >> 32;
  const uint64_t productLow = low + (middle1 << 32) + (middle2 << 32);
  const uint64_t productHigh = high + (middle1 >> 32) + (middle2 >> 32) + carry;
  return productLow ^ productHigh;
}

#if defined(__SIZEOF_INT128__)
constexpr uint64_t MultiplyFold(uint64_t a, uint64_t b) {
  const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
  return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
}
// The 32-bit builds must get the same hashes.
static_assert(MultiplyFoldByHalves(~0ull, ~0ull) == MultiplyFold(~0ull, ~0ull));
static_assert(MultiplyFoldByHalves(0x9E3779B185EBCA87ull, 0xFFFFFFFF00000001ull) ==
              MultiplyFold(0x9E3779B185EBCA87ull, 0xFFFFFFFF00000001ull));
static_assert(MultiplyFoldByHalves(0x00000000FFFFFFFFull, 0xFFFFFFFF80000000ull) ==
              MultiplyFold(0x00000000FFFFFFFFull, 0xFFFFFFFF80000000ull));
#else
constexpr uint64_t MultiplyFold(uint64_t a, uint64_t b) { return MultiplyFoldByHalves(a, b); }
#endif

// The final avalanche: every input bit reaches every output bit.
inline uint64_t Avalanche(uint64_t h) {
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime1;
  h ^= h >> 32;
  return h;
}

}  // namespace

void ContentHash::AddBlock(const char* block) {
  for (size_t lane = 0; lane < lanes_.size(); ++lane) {
    const char* bytes = block + lane * 16;
    lanes_[lane] = MultiplyFold(Load64(bytes) ^ kLaneKeys[lane], Load64(bytes + 8) ^ lanes_[lane]) ^ lanes_[lane];
  }
}

void ContentHash::Add(std::string_view bytes) {
  byteCount_ += bytes.size();
  const char* at = bytes.data();
  size_t left = bytes.size();
  if (pendingBytes_ > 0) {
    const size_t taken = std::min(left, kBlockBytes - pendingBytes_);
    std::memcpy(pending_.data() + pendingBytes_, at, taken);
    pendingBytes_ += taken;
    at += taken;
    left -= taken;
    if (pendingBytes_ < kBlockBytes) return;
    AddBlock(pending_.data());
    pendingBytes_ = 0;
  }
  for (; left >= kBlockBytes; at += kBlockBytes, left -= kBlockBytes) AddBlock(at);
  std::memcpy(pending_.data(), at, left);
  pendingBytes_ = left;
}

uint64_t ContentHash::Value() const {
  uint64_t h = byteCount_ * kPrime1;
  for (size_t lane = 0; lane < lanes_.size(); ++lane) h = MultiplyFold(h ^ lanes_[lane], kLaneKeys[lane]) + lanes_[lane];
  for (size_t i = 0; i < pendingBytes_; ++i) h = (h ^ static_cast<unsigned char>(pending_[i])) * kPrime1;
  return Avalanche(h);
}

}  // namespace trellisk
