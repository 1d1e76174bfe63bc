#include "host/mbox_postmark.h"

#include <algorithm>
#include <initializer_list>

namespace trellisk::host {
namespace {

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), word) != names.end();
}

}  // namespace

bool IsPostmark(std::string_view line) {
  if (line.size() < 5 || line.compare(0, 5, "From ") != 0) return false;
  line.remove_prefix(5);
  const size_t senderEnd = line.find_first_of(" \t");
  if (senderEnd == 0 || senderEnd == std::string_view::npos) return false;
  line.remove_prefix(senderEnd);
  const size_t dayStart = line.find_first_not_of(' ');
  if (dayStart == std::string_view::npos || line.size() < dayStart + 8) return false;
  const std::string_view day = line.substr(dayStart, 3);
  const std::string_view month = line.substr(dayStart + 4, 3);
  return line[dayStart + 3] == ' ' && IsOneOf(day, {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}) &&
         IsOneOf(month, {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"});
}

std::string_view WithoutPostmark(std::string_view message) {
  const size_t lineEnd = message.find('\n');
  if (!IsPostmark(message.substr(0, lineEnd))) return message;
  return lineEnd == std::string_view::npos ? std::string_view() : message.substr(lineEnd + 1);
}

}  // namespace trellisk::host
