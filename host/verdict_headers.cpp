#include "host/verdict_headers.h"

#include "base/ascii.h"
#include "host/mbox_postmark.h"

namespace trellisk::host {
namespace {

// The end of the line starting at `start`, after its line end.
size_t NextLine(std::string_view text, size_t start) {
  const size_t end = text.find('\n', start);
  return end == std::string_view::npos ? text.size() : end + 1;
}

bool IsBlankLine(std::string_view line) { return line == "\n" || line == "\r\n"; }

bool IsContinuation(std::string_view line) { return !line.empty() && (line[0] == ' ' || line[0] == '\t'); }

bool NamesField(std::string_view line, std::string_view field) {
  return line.size() > field.size() && line[field.size()] == ':' && StartsWithIgnoreCase(line, field);
}

bool IsVerdictField(std::string_view line) { return NamesField(line, kScoreField) || NamesField(line, kStatusField); }

}  // namespace

std::string WithVerdictHeaders(std::string_view message, int score, bool spam) {
  std::string result;
  result.reserve(message.size() + 64);
  std::string_view lineEnd = "\n";
  bool lineEndSeen = false;
  bool dropping = false;
  size_t at = 0;
  while (at < message.size()) {
    const size_t next = NextLine(message, at);
    const std::string_view line = message.substr(at, next - at);
    if (IsBlankLine(line)) break;
    const bool postmark = at == 0 && IsPostmark(line);
    if (!lineEndSeen && !postmark && line.back() == '\n') {
      lineEnd = line.size() > 1 && line[line.size() - 2] == '\r' ? "\r\n" : "\n";
      lineEndSeen = true;
    }
    dropping = IsVerdictField(line) || (dropping && IsContinuation(line));
    if (!dropping) result += line;
    at = next;
  }
  if (!result.empty() && result.back() != '\n') result += lineEnd;
  result += std::string(kScoreField) + ": " + std::to_string(score) + std::string(lineEnd);
  result += std::string(kStatusField) + ": " + (spam ? "Spam" : "Ham") + std::string(lineEnd);
  result += message.substr(at);
  return result;
}


}  // namespace trellisk::host
