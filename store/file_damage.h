// FileDamage says where a reader of a store's file first found it out of
// form and what it found there: a line cut into pieces, a record cut short
// at the end of the file, or a line the format does not allow. Readers keep
// the load rules of their format (what a damaged file yields in memory);
// the report lets the store keep the file aside before a save replaces it.
// A plain value; thread-safe.
#pragma once

#include <cstdint>
#include <optional>

#include "base/text_id.h"

namespace trellisk {

struct FileDamage {
  uint64_t line = 0;    // counted from 1
  TextId what = kNoText;  // what was found there
};

// Collects the first damage a reader reports.
class DamageReport {
 public:
  void Note(uint64_t line, TextId what) {
    if (!first_) first_ = FileDamage{line, what};
  }
  const std::optional<FileDamage>& first() const { return first_; }

 private:
  std::optional<FileDamage> first_;
};

}  // namespace trellisk
