// Base64 decoding of message parts and of "B" encoded words. Every byte
// outside the alphabet -- padding, line breaks, blanks, garbage -- is
// skipped without ending anything. Pure function, thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace trellisk {

// Decodes `input` into `output` (replacing its contents). A final group of
// two or three characters gives one or two bytes; a single one gives none.
// Never fails: the output is never longer than the input.
bool DecodeBase64(std::string_view input, std::string& output);

}  // namespace trellisk
