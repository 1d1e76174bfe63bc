#include "dnsbl/dns_cache_file.h"

#include <optional>
#include <string>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "platform/line_reader.h"
#include "store/key_record_file.h"

namespace trellisk {
namespace {

// A number line as the writer makes it: decimal digits, line end and blanks
// aside. Anything else means the records are out of step.
std::optional<uint32_t> ParseCount(std::string_view line) {
  const std::string_view digits = Trim(line);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  return ParseUnsignedDecimal(digits);
}

}  // namespace

bool WriteDnsCacheRecords(platform::WritableFile& file, const CountedStringTable& table) {
  return WriteKeyRecords(file, table, kDnsCacheLineBuffer);
}

void ReadDnsCacheRecords(platform::ReadableFile& file, const std::function<void(const DnsCacheRecord&)>& onRecord) {
  platform::LineReader reader(file);
  std::string address;
  std::string_view line;
  while (!reader.AtEnd()) {
    if (!reader.ReadLine(kDnsCacheLineBuffer, line)) return;
    address.assign(Trim(TextBeforeZeroByte(line)));
    if (!reader.ReadLine(kDnsCacheLineBuffer, line)) return;
    const std::optional<uint32_t> listings = ParseCount(line);
    if (!listings || !reader.ReadLine(kDnsCacheLineBuffer, line)) return;
    const std::optional<uint32_t> lastListed = ParseCount(line);
    if (!lastListed) return;
    onRecord(DnsCacheRecord{address, *listings, *lastListed});
  }
}

}  // namespace trellisk
