// LanguageFile is a language file: the 9-byte magic "FBPRPBP\r\n", then one
// record per language. A record holds the language's number, its length,
// the translation groups (one per dialog: a key, the translated caption and
// the items, one per control text) and the ordered list of translated
// string-table texts. Texts are 8-bit in the language's code page.
//
// Parse indexes the records (number -> offset) in one pass; Record reads one
// record. Neither reads past a record's length or the file's end: a damaged
// record is reported, not guessed at. EncodeLanguageFile writes records in
// the same layout, so that a parsed file encodes to its own bytes. Immutable
// after Parse; thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trellisk {

struct LanguageItem {
  std::string key;
  uint8_t kind = 0;
  // The last text is the one in use.
  std::vector<std::string> texts;
  bool operator==(const LanguageItem&) const = default;
};

struct LanguageGroup {
  std::string key;
  std::string value;
  std::vector<LanguageItem> items;
  bool operator==(const LanguageGroup&) const = default;
};

// One entry of the string list: a 16-bit value the reader skips (the string
// id, as our files write it) and the text.
struct LanguageString {
  uint16_t value = 0;
  std::string text;
  bool operator==(const LanguageString&) const = default;
};

struct LanguageRecord {
  uint32_t language = 0;
  std::vector<LanguageGroup> groups;
  // The list's first entry, which the reader skips.
  LanguageString listHead;
  std::vector<LanguageString> strings;
  bool operator==(const LanguageRecord&) const = default;
};

inline constexpr char kLanguageFileMagic[] = "FBPRPBP\r\n";
inline constexpr size_t kLanguageFileMagicSize = 9;

class LanguageFile {
 public:
  // Nothing, with `problem` saying why, when the bytes do not begin with
  // the magic. A record that runs past the end of the file ends the index;
  // `problem` then names it and the records before it stay usable.
  static std::optional<LanguageFile> Parse(std::vector<uint8_t> bytes, std::string& problem);

  bool Has(uint32_t language) const { return index_.count(language) != 0; }
  // The languages of the index, ascending.
  std::vector<uint32_t> Languages() const;
  // Nothing, with `problem` saying why, when the record is absent or
  // damaged.
  std::optional<LanguageRecord> Record(uint32_t language, std::string& problem) const;

 private:
  explicit LanguageFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::vector<uint8_t> bytes_;
  std::map<uint32_t, size_t> index_;
};

std::vector<uint8_t> EncodeLanguageFile(const std::vector<LanguageRecord>& records);

}  // namespace trellisk
