// Uudecoding of message parts. Lines that start with "begin" or "end" are
// skipped; every other line is a length character followed by groups of
// four characters, each worth six bits. Pure function, thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace trellisk {

// Decodes `input` into `output` (replacing its contents). Each length
// character n gives exactly n bytes, read from groups of four characters;
// characters missing at the end of the input count as zero. Fails --
// keeping what was decoded so far -- when a line break falls inside a group.
bool DecodeUuencode(std::string_view input, std::string& output);

}  // namespace trellisk
