// Quoted-printable decoding of message parts and of "Q" encoded words.
// Byte-oriented: no character set is interpreted. Pure function,
// thread-safe; the caller owns both texts.
#pragma once

#include <string>
#include <string_view>

namespace trellisk {

// Decodes `input` into `output` (replacing its contents). "=" followed by a
// digit or letter gives the byte of the hexadecimal digits among the next
// two characters and consumes all three; "=" followed by CR LF is a soft
// break; CR and LF are dropped. Fails -- keeping what was decoded so far --
// when an "=" is not followed by two characters of which the first is a
// digit or letter, or by CR LF.
bool DecodeQuotedPrintable(std::string_view input, std::string& output);

}  // namespace trellisk
