#include "platform/regedit_format.h"

#include <optional>
#include <vector>

#include "platform/hex_digit.h"

namespace trellisk::platform {
namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kDwordPrefix = "dword:";
constexpr std::string_view kBinaryPrefix = "hex:";
constexpr std::string_view kTypedHexPrefix = "hex(";
constexpr std::string_view kContinuationIndent = "  ";
constexpr char kHexDigits[] = "0123456789abcdef";

std::string_view TrimLeft(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimRight(std::string_view text) {
  const size_t last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         FoldRegistryName(text.substr(0, prefix.size())) == FoldRegistryName(prefix);
}

// Parses 1 to `maxDigits` hex digits making up all of `text`.
std::optional<uint32_t> ParseHexNumber(std::string_view text, size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  uint32_t number = 0;
  for (const char c : text) {
    const int digit = HexDigitValue(c);
    if (digit < 0) return std::nullopt;
    number = number << 4 | static_cast<uint32_t>(digit);
  }
  return number;
}

// The file's lines without their line ends (LF or CR LF), numbered from 1.
class LineSource {
 public:
  explicit LineSource(std::string_view text) : rest_(text) {}

  bool Next(std::string_view& line) {
    if (atEnd_) return false;
    const size_t end = rest_.find('\n');
    line = rest_.substr(0, end);
    lineEnded_ = end != std::string_view::npos;
    if (!lineEnded_) {
      atEnd_ = true;
    } else {
      rest_.remove_prefix(end + 1);
      atEnd_ = rest_.empty();
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return true;
  }
  size_t number() const { return number_; }
  // Whether the last line read ended with a line feed.
  bool lineEnded() const { return lineEnded_; }

 private:
  std::string_view rest_;
  size_t number_ = 0;
  bool atEnd_ = false;
  bool lineEnded_ = false;
};

// Thrown inside the parser only, to leave it from any depth with a reason.
struct ParseFailure {
  std::string reason;
};

// Reads a quoted text at the start of `text` and consumes it.
std::string ReadQuoted(std::string_view& text) {
  std::string result;
  size_t pos = 1;  // after the opening quote
  while (pos < text.size()) {
    const char c = text[pos++];
    if (c == '"') {
      text.remove_prefix(pos);
      return result;
    }
    if (c == '\\') {
      if (pos == text.size() || (text[pos] != '\\' && text[pos] != '"')) {
        throw ParseFailure{"unknown escape in quoted text"};
      }
      result += text[pos++];
    } else {
      result += c;
    }
  }
  throw ParseFailure{"unterminated quoted text"};
}

// A hex list is the one value form that still parses when cut short at a
// byte boundary, so the file's last one must have its line end: without it
// the list may have lost bytes.
std::vector<uint8_t> ReadHexList(std::string_view text, bool lineEnded) {
  if (!lineEnded) throw ParseFailure{"hex list cut off at the end of the file"};
  std::vector<uint8_t> bytes;
  text = TrimRight(TrimLeft(text));
  if (text.empty()) return bytes;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const std::string_view item = TrimRight(TrimLeft(text.substr(start, comma - start)));
    const std::optional<uint32_t> byte = item.size() == 2 ? ParseHexNumber(item, 2) : std::nullopt;
    if (!byte) throw ParseFailure{"malformed hex byte"};
    bytes.push_back(static_cast<uint8_t>(*byte));
    if (comma == std::string_view::npos) return bytes;
    start = comma + 1;
  }
}

RegistryValue ReadTypedHex(std::string_view data, bool lineEnded) {
  const size_t close = data.find("):");
  if (close == std::string_view::npos) throw ParseFailure{"malformed hex( type"};
  const std::string_view number = data.substr(kTypedHexPrefix.size(), close - kTypedHexPrefix.size());
  const std::optional<uint32_t> type = ParseHexNumber(number, 8);
  if (!type) throw ParseFailure{"malformed hex( type"};
  return {*type, ReadHexList(data.substr(close + 2), lineEnded)};
}

RegistryValue ReadValueData(std::string_view data, bool lineEnded) {
  if (!data.empty() && data.front() == '"') {
    const std::string text = ReadQuoted(data);
    if (!TrimLeft(data).empty()) throw ParseFailure{"text after the closing quote"};
    return RegistryValue::String(text);
  }
  if (StartsWithIgnoreCase(data, kDwordPrefix)) {
    const std::string_view digits = TrimRight(data.substr(kDwordPrefix.size()));
    const std::optional<uint32_t> number = digits.size() == 8 ? ParseHexNumber(digits, 8) : std::nullopt;
    if (!number) throw ParseFailure{"malformed dword"};
    return RegistryValue::Dword(*number);
  }
  if (StartsWithIgnoreCase(data, kBinaryPrefix)) {
    return {kRegBinary, ReadHexList(data.substr(kBinaryPrefix.size()), lineEnded)};
  }
  if (StartsWithIgnoreCase(data, kTypedHexPrefix)) return ReadTypedHex(data, lineEnded);
  throw ParseFailure{"unknown value type"};
}

class Parser {
 public:
  explicit Parser(RegistryHive hive) : hiveName_(RegistryHiveName(hive)) {}

  RegeditParseResult Parse(std::string_view text) {
    LineSource lines(text);
    RegeditParseResult result;
    std::string_view line;
    if (!lines.Next(line) || TrimRight(line) != kRegeditSignature) {
      Skip(result, 1, ParseFailure{"the file does not start with " + std::string(kRegeditSignature)});
    }
    while (lines.Next(line)) {
      const size_t number = lines.number();
      try {
        ReadLine(line, lines);
      } catch (const ParseFailure& failure) {
        Skip(result, number, failure);
      }
    }
    result.tree = std::move(tree_);
    return result;
  }

 private:
  static void Skip(RegeditParseResult& result, size_t number, const ParseFailure& failure) {
    if (result.error.empty()) result.error = "line " + std::to_string(number) + ": " + failure.reason;
    ++result.skippedLines;
  }

  void ReadLine(std::string_view line, LineSource& lines) {
    line = TrimLeft(line);
    if (line.empty() || line.front() == ';') return;
    if (line.front() == '[') return ReadSection(TrimRight(line));
    if (line.front() == '"' || line.front() == '@') {
      const std::string joined = JoinContinuations(line, lines);
      return ReadValue(joined, lines.lineEnded());
    }
    throw ParseFailure{"neither a section, a value nor a comment"};
  }

  // Until it has parsed, the values that follow belong to no key.
  void ReadSection(std::string_view line) {
    current_ = nullptr;
    if (line.size() < 2 || line.back() != ']') throw ParseFailure{"unterminated section"};
    const std::string_view path = line.substr(1, line.size() - 2);
    const ParseFailure outside{"section outside " + std::string(hiveName_)};
    if (!StartsWithIgnoreCase(path, hiveName_)) throw outside;
    std::string_view keyPath = path.substr(hiveName_.size());
    if (!keyPath.empty()) {
      if (keyPath.front() != '\\' || keyPath.size() == 1) throw outside;
      keyPath.remove_prefix(1);
    }
    const auto names = SplitRegistryPath(keyPath);
    if (!names) throw ParseFailure{"malformed key path"};
    if (names->size() > kMaxRegeditKeyDepth) throw ParseFailure{"a key nested deeper than 64 levels"};
    current_ = &tree_.Create(*names);
  }

  // A value line ending in a backslash goes on in the next line.
  static std::string JoinContinuations(std::string_view line, LineSource& lines) {
    std::string joined(TrimRight(line));
    while (!joined.empty() && joined.back() == '\\') {
      joined.pop_back();
      std::string_view next;
      if (!lines.Next(next)) throw ParseFailure{"value continues past the end of the file"};
      joined += TrimRight(TrimLeft(next));
    }
    return joined;
  }

  void ReadValue(std::string_view line, bool lineEnded) {
    if (!current_) throw ParseFailure{"value outside any section"};
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else {
      name = ReadQuoted(line);
    }
    line = TrimLeft(line);
    if (line.empty() || line.front() != '=') throw ParseFailure{"missing \"=\" after the value name"};
    RegistryValue value = ReadValueData(TrimLeft(line.substr(1)), lineEnded);
    if (value.data.size() > kMaxRegeditValueBytes) throw ParseFailure{"a value larger than 1 MB"};
    current_->SetValue(name, std::move(value));
  }

  std::string_view hiveName_;
  RegistryTree tree_;
  RegistryTree::Key* current_ = nullptr;
};

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
}

// True when the quoted form gives back exactly these data: text without
// control characters other than tab, followed by one zero byte.
bool FitsQuotedText(const std::vector<uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    const uint8_t byte = data[i];
    if ((byte < 0x20 && byte != '\t') || byte == 0x7F) return false;
  }
  return true;
}

void AppendHexNumber(std::string& out, uint32_t number, int minDigits) {
  char digits[8];
  int count = 0;
  do {
    digits[count++] = kHexDigits[number & 0xF];
    number >>= 4;
  } while (number != 0 || count < minDigits);
  while (count > 0) out += digits[--count];
}

void AppendHexList(std::string& out, size_t column, const std::vector<uint8_t>& data) {
  for (size_t i = 0; i < data.size(); ++i) {
    const size_t width = i + 1 < data.size() ? 3 : 2;
    if (i > 0 && column + width + 1 > kRegeditLineWidth) {
      out += "\\\n";
      out += kContinuationIndent;
      column = kContinuationIndent.size();
    }
    AppendHexNumber(out, data[i], 2);
    if (i + 1 < data.size()) out += ',';
    column += width;
  }
}

void AppendValue(std::string& out, const RegistryTree::NamedValue& named) {
  const size_t lineStart = out.size();
  if (named.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, named.name);
  }
  out += '=';
  const RegistryValue& value = named.value;
  if (value.type == kRegString && FitsQuotedText(value.data)) {
    AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1));
  } else if (const std::optional<uint32_t> number = value.AsDword()) {
    out += kDwordPrefix;
    AppendHexNumber(out, *number, 8);
  } else {
    if (value.type == kRegBinary) {
      out += kBinaryPrefix;
    } else {
      out += kTypedHexPrefix;
      AppendHexNumber(out, value.type, 1);
      out += "):";
    }
    AppendHexList(out, out.size() - lineStart, value.data);
  }
  out += '\n';
}

void AppendKey(std::string& out, const RegistryTree::Key& key, const std::string& path, bool isRoot) {
  if (!isRoot || !key.values().empty()) {
    out += "\n[" + path + "]\n";
    for (const RegistryTree::NamedValue& value : key.values()) AppendValue(out, value);
  }
  for (const RegistryTree::Key* child : key.Children()) AppendKey(out, *child, path + '\\' + child->name(), false);
}

}  // namespace

std::string_view RegistryHiveName(RegistryHive hive) {
  return hive == RegistryHive::LocalMachine ? kLocalMachineHiveName : kCurrentUserHiveName;
}

RegeditParseResult ParseRegedit(std::string_view text, RegistryHive hive) { return Parser(hive).Parse(text); }

std::string SerializeRegedit(const RegistryTree& tree, RegistryHive hive) {
  std::string out(kRegeditSignature);
  out += '\n';
  AppendKey(out, tree.root(), std::string(RegistryHiveName(hive)), true);
  out += '\n';
  return out;
}

}  // namespace trellisk::platform
