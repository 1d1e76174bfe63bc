#include "host/translation_source.h"

#include <cstdio>
#include <sstream>

#include "base/translation.h"
#include "platform/code_page.h"

namespace trellisk {
namespace {

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[5];
          std::snprintf(escape, sizeof(escape), "\\x%02X", static_cast<unsigned char>(c));
          out += escape;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

// Reads the words and quoted texts of one statement.
class StatementReader {
 public:
  explicit StatementReader(const std::string& line) : line_(line) {}

  std::optional<std::string> Word() {
    SkipBlanks();
    const size_t start = at_;
    while (at_ < line_.size() && line_[at_] != ' ' && line_[at_] != '\t') ++at_;
    if (at_ == start) return std::nullopt;
    return line_.substr(start, at_ - start);
  }
  std::optional<long> Number() {
    const auto word = Word();
    if (!word) return std::nullopt;
    char* end = nullptr;
    const long value = std::strtol(word->c_str(), &end, 10);
    if (*end != '\0') return std::nullopt;
    return value;
  }
  std::optional<std::string> Text() {
    SkipBlanks();
    if (at_ >= line_.size() || line_[at_] != '"') return std::nullopt;
    std::string text;
    for (++at_; at_ < line_.size(); ++at_) {
      const char c = line_[at_];
      if (c == '"') {
        ++at_;
        return text;
      }
      if (c != '\\') {
        text += c;
        continue;
      }
      if (++at_ >= line_.size()) return std::nullopt;
      const char escaped = line_[at_];
      if (escaped == 'x') {
        if (at_ + 2 >= line_.size()) return std::nullopt;
        text += static_cast<char>(std::stoi(line_.substr(at_ + 1, 2), nullptr, 16));
        at_ += 2;
        continue;
      }
      const std::string plain = "\\\"nrt";
      const std::string meant = "\\\"\n\r\t";
      const size_t which = plain.find(escaped);
      if (which == std::string::npos) return std::nullopt;
      text += meant[which];
    }
    return std::nullopt;
  }
  bool AtEnd() {
    SkipBlanks();
    return at_ >= line_.size();
  }

 private:
  void SkipBlanks() {
    while (at_ < line_.size() && (line_[at_] == ' ' || line_[at_] == '\t')) ++at_;
  }
  const std::string& line_;
  size_t at_ = 0;
};

class SourceParser {
 public:
  bool ParseLine(const std::string& line, std::string& error) {
    StatementReader reader(line);
    const auto keyword = reader.Word();
    if (!keyword || (*keyword)[0] == '#') return true;
    if (*keyword == "language") return Language(reader, error);
    if (records_.empty()) return Fail(error, "a statement before the first language line");
    if (*keyword == "group") return Group(reader, error);
    if (*keyword == "item") return Item(reader, error);
    if (*keyword == "head" || *keyword == "string") return String(reader, *keyword == "head", error);
    return Fail(error, "an unknown statement '" + *keyword + "'");
  }
  std::vector<LanguageRecord>& records() { return records_; }

 private:
  bool Language(StatementReader& reader, std::string& error) {
    const auto number = reader.Number();
    if (!number || *number < 0) return Fail(error, "a language line without a language number");
    reader.Text();
    records_.push_back(LanguageRecord{static_cast<uint32_t>(*number), {}, {}, {}});
    return reader.AtEnd() || Fail(error, "more than a number and a name after 'language'");
  }
  bool Group(StatementReader& reader, std::string& error) {
    const auto key = reader.Text();
    const auto value = reader.Text();
    if (!key || !value || !reader.AtEnd()) return Fail(error, "a group line that is not: group \"key\" \"caption\"");
    LanguageGroup group{*key, {}, {}};
    if (!Encode(*value, group.value, error)) return false;
    records_.back().groups.push_back(std::move(group));
    return true;
  }
  bool Item(StatementReader& reader, std::string& error) {
    if (records_.back().groups.empty()) return Fail(error, "an item before the first group");
    const auto key = reader.Text();
    const auto kind = reader.Number();
    if (!key || !kind || *kind < 0 || *kind > 255) return Fail(error, "an item line that is not: item \"key\" kind \"text\"");
    LanguageItem item{*key, static_cast<uint8_t>(*kind), {}};
    while (const auto text = reader.Text()) {
      std::string encoded;
      if (!Encode(*text, encoded, error)) return false;
      item.texts.push_back(std::move(encoded));
    }
    if (item.texts.empty() || !reader.AtEnd()) return Fail(error, "an item line without its text");
    records_.back().groups.back().items.push_back(std::move(item));
    return true;
  }
  bool String(StatementReader& reader, bool head, std::string& error) {
    const auto value = reader.Number();
    const auto text = reader.Text();
    if (!value || *value < 0 || *value > 0xFFFF || !text || !reader.AtEnd()) {
      return Fail(error, "a string line that is not: string id \"text\"");
    }
    LanguageString entry{static_cast<uint16_t>(*value), {}};
    if (!Encode(*text, entry.text, error)) return false;
    if (head) records_.back().listHead = std::move(entry);
    else records_.back().strings.push_back(std::move(entry));
    return true;
  }
  bool Encode(const std::string& utf8, std::string& out, std::string& error) {
    const uint32_t codePage = LanguageCodePage(records_.back().language);
    const auto converted = platform::Utf16ToCodePage(platform::Utf8ToUtf16(utf8), codePage);
    if (!converted) return Fail(error, "a text that code page " + std::to_string(codePage) + " cannot hold");
    out = *converted;
    return true;
  }
  static bool Fail(std::string& error, const std::string& what) {
    error = what;
    return false;
  }

  std::vector<LanguageRecord> records_;
};

std::string ToUtf8(const std::string& text, uint32_t language) {
  const auto converted = platform::CodePageToUtf16(text, LanguageCodePage(language));
  return converted ? platform::Utf16ToUtf8(*converted) : text;
}

}  // namespace

std::optional<std::vector<LanguageRecord>> ParseTranslationSource(const std::string& source, std::string& error) {
  SourceParser parser;
  std::istringstream lines(source);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!parser.ParseLine(line, error)) {
      error = "line " + std::to_string(number) + ": " + error;
      return std::nullopt;
    }
  }
  return std::move(parser.records());
}

std::string FormatTranslationSource(const std::vector<LanguageRecord>& records) {
  std::string out;
  for (const LanguageRecord& record : records) {
    const uint32_t language = record.language;
    out += "language " + std::to_string(language) + "\n";
    for (const LanguageGroup& group : record.groups) {
      out += "\ngroup " + Quote(group.key) + " " + Quote(ToUtf8(group.value, language)) + "\n";
      for (const LanguageItem& item : group.items) {
        out += "item " + Quote(item.key) + " " + std::to_string(item.kind);
        for (const std::string& text : item.texts) out += " " + Quote(ToUtf8(text, language));
        out += "\n";
      }
    }
    out += "\nhead " + std::to_string(record.listHead.value) + " " + Quote(ToUtf8(record.listHead.text, language)) + "\n";
    for (const LanguageString& entry : record.strings) {
      out += "string " + std::to_string(entry.value) + " " + Quote(ToUtf8(entry.text, language)) + "\n";
    }
  }
  return out;
}

}  // namespace trellisk
