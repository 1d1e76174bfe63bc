// Percent-decoding of link targets for the HTML analysis. "+" stays as it
// is. Pure function, thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace trellisk {

// Copies `input` into `output` (replacing its contents), turning "%XY" into
// the low eight bits of 16 * X + Y, where a character that is not a
// hexadecimal digit counts as -1. A "%" followed by fewer than two
// characters ends the output there and makes the result false.
bool DecodeUrl(std::string_view input, std::string& output);

}  // namespace trellisk
