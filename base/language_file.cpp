#include "base/language_file.h"

#include <cstring>

#include "base/little_endian.h"

namespace trellisk {
namespace {

std::string ReadShortString(ByteReader& reader) {
  const auto bytes = reader.Bytes(reader.U16());
  return std::string(bytes.begin(), bytes.end());
}

void WriteShortString(ByteWriter& out, const std::string& text) {
  out.U16(static_cast<uint16_t>(text.size()));
  out.Text(text.substr(0, 0xFFFF));
}

LanguageItem ReadItem(ByteReader& reader) {
  LanguageItem item;
  item.key = ReadShortString(reader);
  item.kind = reader.U8();
  const uint32_t count = reader.U32();
  // Each text takes at least its 2-byte length, so a count beyond what is
  // left is damage, found before any of it is read.
  if (!reader.Has(2ull * count)) reader.Invalidate();
  for (uint32_t i = 0; i < count && reader.ok(); ++i) item.texts.push_back(ReadShortString(reader));
  return item;
}

LanguageGroup ReadGroup(ByteReader& reader) {
  LanguageGroup group;
  group.key = ReadShortString(reader);
  group.value = ReadShortString(reader);
  const uint32_t count = reader.U32();
  if (!reader.Has(7ull * count)) reader.Invalidate();
  for (uint32_t i = 0; i < count && reader.ok(); ++i) group.items.push_back(ReadItem(reader));
  return group;
}

void ReadStringList(ByteReader& reader, LanguageRecord& record) {
  const uint32_t count = reader.U32();
  if (count == 0) return;
  if (!reader.Has(4ull * count)) reader.Invalidate();
  record.listHead.value = reader.U16();
  record.listHead.text = ReadShortString(reader);
  for (uint32_t i = 1; i < count && reader.ok(); ++i) {
    LanguageString entry;
    entry.value = reader.U16();
    entry.text = ReadShortString(reader);
    record.strings.push_back(std::move(entry));
  }
}

void WriteRecord(ByteWriter& out, const LanguageRecord& record) {
  out.U32(record.language);
  const size_t lengthAt = out.size();
  out.U32(0);
  out.U32(static_cast<uint32_t>(record.groups.size()));
  for (const LanguageGroup& group : record.groups) {
    WriteShortString(out, group.key);
    WriteShortString(out, group.value);
    out.U32(static_cast<uint32_t>(group.items.size()));
    for (const LanguageItem& item : group.items) {
      WriteShortString(out, item.key);
      out.U8(item.kind);
      out.U32(static_cast<uint32_t>(item.texts.size()));
      for (const std::string& text : item.texts) WriteShortString(out, text);
    }
  }
  out.U32(static_cast<uint32_t>(record.strings.size() + 1));
  out.U16(record.listHead.value);
  WriteShortString(out, record.listHead.text);
  for (const LanguageString& entry : record.strings) {
    out.U16(entry.value);
    WriteShortString(out, entry.text);
  }
  out.PatchU32(lengthAt, static_cast<uint32_t>(out.size() - lengthAt));
}

}  // namespace

std::optional<LanguageFile> LanguageFile::Parse(std::vector<uint8_t> bytes, std::string& problem) {
  if (bytes.size() < kLanguageFileMagicSize || std::memcmp(bytes.data(), kLanguageFileMagic, kLanguageFileMagicSize) != 0) {
    problem = "it does not begin with the language file mark";
    return std::nullopt;
  }
  LanguageFile file(std::move(bytes));
  ByteReader reader(file.bytes_);
  reader.Seek(kLanguageFileMagicSize);
  while (!reader.AtEnd()) {
    const size_t offset = reader.position();
    const uint32_t language = reader.U32();
    const uint32_t length = reader.U32();
    const uint64_t next = offset + 4ull + length;
    if (!reader.ok() || length < 8 || next > file.bytes_.size()) {
      problem = "the record at byte " + std::to_string(offset) + " runs past the end of the file";
      break;
    }
    file.index_.emplace(language, offset);
    reader.Seek(static_cast<size_t>(next));
  }
  return file;
}

std::vector<uint32_t> LanguageFile::Languages() const {
  std::vector<uint32_t> languages;
  for (const auto& [language, offset] : index_) languages.push_back(language);
  return languages;
}

std::optional<LanguageRecord> LanguageFile::Record(uint32_t language, std::string& problem) const {
  const auto found = index_.find(language);
  if (found == index_.end()) {
    problem = "it holds no language " + std::to_string(language);
    return std::nullopt;
  }
  ByteReader header(std::span<const uint8_t>(bytes_).subspan(found->second, 8));
  LanguageRecord record;
  record.language = header.U32();
  const uint32_t length = header.U32();
  // The record's own bytes only: its length counts itself.
  ByteReader reader(std::span<const uint8_t>(bytes_).subspan(found->second + 8, length - 4));
  const uint32_t groups = reader.U32();
  if (!reader.Has(8ull * groups)) reader.Invalidate();
  for (uint32_t i = 0; i < groups && reader.ok(); ++i) record.groups.push_back(ReadGroup(reader));
  ReadStringList(reader, record);
  if (!reader.ok()) {
    problem = "the record of language " + std::to_string(language) + " is damaged";
    return std::nullopt;
  }
  return record;
}

std::vector<uint8_t> EncodeLanguageFile(const std::vector<LanguageRecord>& records) {
  ByteWriter out;
  out.Text(std::string(kLanguageFileMagic, kLanguageFileMagicSize));
  for (const LanguageRecord& record : records) WriteRecord(out, record);
  return std::move(out.bytes());
}

}  // namespace trellisk
