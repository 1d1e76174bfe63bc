#include "plugin/number_text.h"

#include <cstdio>

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
  char buffer[64];
  const int length = std::snprintf(buffer, sizeof buffer, "%.2f", value);
  if (length < 0) return {};
  if (static_cast<size_t>(length) < sizeof buffer) return std::string(buffer, static_cast<size_t>(length));
  std::string wide(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(wide.data(), wide.size(), "%.2f", value);
  wide.resize(static_cast<size_t>(length));
  return wide;
}

}  // namespace trellisk
