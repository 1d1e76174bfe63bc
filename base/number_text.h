// Numbers as text, in the forms the plug-in's files, logs and macros use.
// Pure functions, thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace trellisk {

// Reads a number as the C runtime's strtoul does, but modulo 2^32: optional
// leading white space, an optional sign, then decimal digits up to the first
// non-digit; no digits gives 0; a minus sign negates modulo 2^32. So every
// value written with "%u" reads back unchanged.
uint32_t ParseUnsignedDecimal(std::string_view text);

// Whether a number line is written as the stores write numbers: decimal
// digits only, blanks and the line end aside.
bool IsDecimalNumberLine(std::string_view line);

// Fixed point with exactly two digits after the point, rounded to the nearest
// hundredth, a "0" before the point below 1 and a "-" for negatives:
// 2.5 -> "2.50", 0.05 -> "0.05", -10 -> "-10.00".
std::string FormatTwoDecimals(double value);

}  // namespace trellisk
