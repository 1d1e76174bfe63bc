// The text copy rule of the exports that hand a text to the host
// (TBP_GetName, TBP_GetVersion, TBP_GetMacroList): the host asks for the
// length with a null buffer, and receives at most `size` characters without
// a terminating zero, relying on the returned count. Pure; thread-safe.
#pragma once

#include <string_view>

namespace trellisk {

// Null buffer or negative size: nothing copied, the text's length returned.
// Empty text: 0. Otherwise the first min(size, length) characters are
// copied and their count returned.
int CopyTextForHost(std::string_view text, char* buffer, int size);

}  // namespace trellisk
