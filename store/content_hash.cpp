#include "store/content_hash.h"

#include <algorithm>
#include <cstring>

namespace trellisk {
namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ull;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4Full;

inline uint64_t RotateLeft(uint64_t value, int bits) { return (value << bits) | (value >> (64 - bits)); }

inline uint64_t Load64(const char* at) {
  uint64_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

inline uint64_t Mix(uint64_t lane, uint64_t input) { return RotateLeft(lane + input * kPrime2, 31) * kPrime1; }

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
  for (size_t lane = 0; lane < lanes_.size(); ++lane) lanes_[lane] = Mix(lanes_[lane], Load64(block + lane * 8));
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
  uint64_t h = byteCount_;
  for (size_t lane = 0; lane < lanes_.size(); ++lane)
    h = Mix(h, lanes_[lane]) ^ RotateLeft(lanes_[lane], 7 + 11 * static_cast<int>(lane));
  for (size_t i = 0; i < pendingBytes_; ++i) h = (h ^ static_cast<unsigned char>(pending_[i])) * kPrime1;
  return Avalanche(h);
}

}  // namespace trellisk
