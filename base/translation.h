// Translation of the plug-in's own resources with a language record: the
// dialogs' captions and control texts are replaced through their keys, the
// string table's texts in table order, and everything else is copied. The
// keys, the position suffix of a replacement and the code page of each
// language are here too. Thread-safe.
//
// A key is a prefix ("DL_" for a dialog, "I_" for a control), the dialog's
// resource number or the control's identifier, "_", the first six bytes of
// the English text in the language's code page with every blank, quote and
// punctuation mark of kKeyPunctuation made "_", and the text's length. A
// replacement ending in "|" and eight upper-case hexadecimal digits moves and
// sizes its dialog or control by four signed bytes (x, y, width, height).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/language_file.h"
#include "platform/resource.h"

namespace trellisk {

inline constexpr std::string_view kKeyPunctuation = " \n\r\t\"%!?\\/&-+()[]{}*|:'<>.,";

// The Windows code page of a language number's character set.
uint32_t LanguageCodePage(uint32_t language);

// `number` is the dialog's resource number or the control's identifier.
std::string TranslationKey(std::string_view prefix, std::string_view number, std::string_view text);

using PositionOffset = std::array<int8_t, 4>;
// The text without its position suffix, and the suffix's offsets; a text
// without a well-formed suffix comes back whole, with no offsets.
std::string SplitPositionSuffix(std::string_view text, std::optional<PositionOffset>& offset);

// The own resources translated with the record.
std::vector<platform::Resource> TranslateResources(const std::vector<platform::Resource>& own,
                                                   const LanguageRecord& record);

}  // namespace trellisk
