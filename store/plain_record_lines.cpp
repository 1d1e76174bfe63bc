#include "store/plain_record_lines.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/ascii.h"

namespace trellisk {
namespace {

bool IsBlankByte(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

const char* LineLimit(const char* at, const char* end, size_t lineBuffer) {
  return at + std::min<size_t>(static_cast<size_t>(end - at), lineBuffer - 1);
}

// Where the first LF or 0 byte is among the eight bytes of `word` (in
// memory order): 0 to 7, or 8 when there is none. A byte b is found where
// (b - 1) & ~b has its top bit set, which a borrow can fake only above a
// byte truly found, so the lowest mark is exact.
unsigned FirstLineFeedOrZero(uint64_t word) {
  static_assert(std::endian::native == std::endian::little);
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kTops = 0x8080808080808080u;
  const uint64_t lineFeeds = word ^ (kOnes * '\n');
  const uint64_t marks = (((lineFeeds - kOnes) & ~lineFeeds) | ((word - kOnes) & ~word)) & kTops;
  return static_cast<unsigned>(std::countr_zero(marks)) / 8;
}

// The first LF or 0 byte in [at, limit), or limit; eight bytes a step.
const char* FindLineFeedOrZero(const char* at, const char* limit) {
  const char* p = at;
  for (; limit - p >= 8; p += 8) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    if (const unsigned found = FirstLineFeedOrZero(word); found < 8) return p + found;
  }
  while (p < limit && *p != '\n' && *p != '\0') ++p;
  return p;
}

}  // namespace

const char* PlainKeyLine(const char* at, const char* end, size_t lineBuffer, std::string_view& key) {
  const char* const limit = LineLimit(at, end, lineBuffer);
  const char* const p = FindLineFeedOrZero(at, limit);
  if (p == limit || *p != '\n') return nullptr;
  key = std::string_view(at, static_cast<size_t>(p - at));
  if (!key.empty() && (IsBlankByte(key.front()) || IsBlankByte(key.back()))) key = Trim(key);
  return key.empty() ? nullptr : p + 1;
}

const char* PlainNumberLine(const char* at, const char* end, size_t lineBuffer, uint32_t& number) {
  const char* const limit = LineLimit(at, end, lineBuffer);
  const char* p = at;
  uint32_t value = 0;
  for (; p < limit && *p >= '0' && *p <= '9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - '0');
  if (p == at) return nullptr;
  if (p < limit && *p == '\r') ++p;
  if (p == limit || *p != '\n') return nullptr;
  number = value;
  return p + 1;
}

}  // namespace trellisk
