// The line end of the stores' text files. The files are defined as text
// files in the platform's text mode, which the file system layer does not
// apply (it reads and writes bytes as they are): CR LF on Windows, LF
// elsewhere. Readers accept both.
#pragma once

#include <string_view>

namespace trellisk {

#if defined(_WIN32)
inline constexpr std::string_view kTextLineEnd = "\r\n";
#else
inline constexpr std::string_view kTextLineEnd = "\n";
#endif

}  // namespace trellisk
