// TextSource is the text loader: it gives string number n of a resource
// module. BuiltinTexts gives the texts of the plug-in's own (English) module;
// a translated module (see resource_module.h) is another source of the same
// kind, which the core may make current.
//
// Implementations are immutable after construction and thread-safe.
#pragma once

#include <cstddef>
#include <string>

#include "base/text_id.h"

namespace trellisk {

class TextSource {
 public:
  // Texts are loaded into a 500-byte buffer, so at most 499 bytes survive.
  static constexpr size_t kMaxTextLength = 499;

  virtual ~TextSource() = default;
  // The text with this id, cut to kMaxTextLength; empty for an unknown id.
  virtual std::string Load(int id) const = 0;
};

class BuiltinTexts final : public TextSource {
 public:
  std::string Load(int id) const override;
};

}  // namespace trellisk
