#include "dnsbl/dns_cache_file.h"

#include <optional>
#include <string>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/text_line_end.h"
#include "store/key_record_file.h"
#include "store/record_file_reader.h"

namespace trellisk {
namespace {

// A number line as the writer makes it: decimal digits, line end and blanks
// aside. Anything else means the records are out of step.
std::optional<uint32_t> ParseCount(std::string_view line) {
  if (!IsDecimalNumberLine(line)) return std::nullopt;
  return ParseUnsignedDecimal(line);
}

}  // namespace

bool WriteDnsCacheRecords(platform::WritableFile& file, const CountedStringTable& table) {
  return WriteKeyRecords(file, table, kDnsCacheLineBuffer);
}

void ReadDnsCacheRecords(platform::ReadableFile& file, const std::function<void(const DnsCacheRecord&)>& onRecord,
                         DamageReport& damage) {
  RecordFileReader reader(file, kDnsCacheLineBuffer, damage);
  std::string address;
  std::string_view line;
  while (!reader.AtEnd()) {
    if (!reader.ReadLine(line)) return;
    address.assign(Trim(TextBeforeZeroByte(line)));
    if (!reader.ReadNumberLine(line)) return;
    const std::optional<uint32_t> listings = ParseCount(line);
    if (!listings || !reader.ReadNumberLine(line)) return;
    const std::optional<uint32_t> lastListed = ParseCount(line);
    if (!lastListed) return;
    onRecord(DnsCacheRecord{address, *listings, *lastListed});
  }
}

}  // namespace trellisk
