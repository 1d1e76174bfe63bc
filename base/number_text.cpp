#include "base/number_text.h"

#include <charconv>

#include "base/ascii.h"

namespace trellisk {

uint32_t ParseUnsignedDecimal(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  return negative ? 0u - value : value;
}

std::string FormatTwoDecimals(double value) {
  // Room for the largest double in fixed notation; to_chars rounds exactly
  // as printf's "%.2f" does.
  char buffer[400];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
  return std::string(buffer, result.ptr);
}

bool IsDecimalNumberLine(std::string_view line) {
  const std::string_view digits = Trim(line);
  return !digits.empty() && digits.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace trellisk
