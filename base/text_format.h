// Numbered texts with placeholders: "%1" to "%9" stand for the arguments in
// order, as in the system's message formatting. Pure; thread-safe.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace trellisk {

// `pattern` with every "%n" replaced by the n-th argument (from 1); a "%n"
// without an argument and any other "%" stay as they are.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> arguments);

}  // namespace trellisk
