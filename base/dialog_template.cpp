#include "base/dialog_template.h"

#include "base/little_endian.h"

namespace trellisk {
namespace {

constexpr uint32_t kSetFontStyle = 0x40;
constexpr uint16_t kExtendedSignature = 0xFFFF;
// A template with more controls than this is not a dialog anyone made.
constexpr uint16_t kMaxItems = 4096;

TemplateName ReadName(ByteReader& reader) {
  ByteReader probe = reader;
  const uint16_t first = probe.U16();
  if (first == 0) {
    reader.U16();
    return {};
  }
  if (first == 0xFFFF) {
    reader.U16();
    return TemplateName{reader.U16(), {}};
  }
  return TemplateName{std::nullopt, reader.Utf16z()};
}

void WriteName(ByteWriter& out, const TemplateName& name) {
  if (name.number) {
    out.U16(0xFFFF);
    out.U16(*name.number);
  } else {
    out.Utf16z(name.text);
  }
}

std::vector<uint8_t> ReadCreationData(ByteReader& reader) {
  const auto data = reader.Bytes(reader.U16());
  return std::vector<uint8_t>(data.begin(), data.end());
}

void ReadHeader(ByteReader& reader, DialogTemplate& dialog, uint16_t& count) {
  if (dialog.extended) {
    dialog.version = reader.U16();
    reader.U16();
    dialog.helpId = reader.U32();
    dialog.extendedStyle = reader.U32();
    dialog.style = reader.U32();
  } else {
    dialog.style = reader.U32();
    dialog.extendedStyle = reader.U32();
  }
  count = reader.U16();
  dialog.x = reader.I16();
  dialog.y = reader.I16();
  dialog.width = reader.I16();
  dialog.height = reader.I16();
  dialog.menu = ReadName(reader);
  dialog.windowClass = ReadName(reader);
  dialog.title = reader.Utf16z();
  dialog.hasFont = (dialog.style & kSetFontStyle) != 0;
  if (!dialog.hasFont) return;
  dialog.pointSize = reader.U16();
  if (dialog.extended) {
    dialog.weight = reader.U16();
    dialog.italic = reader.U8();
    dialog.charset = reader.U8();
  }
  dialog.typeface = reader.Utf16z();
}

DialogItem ReadItem(ByteReader& reader, bool extended) {
  DialogItem item;
  reader.Align(4);
  if (extended) {
    item.helpId = reader.U32();
    item.extendedStyle = reader.U32();
    item.style = reader.U32();
  } else {
    item.style = reader.U32();
    item.extendedStyle = reader.U32();
  }
  item.x = reader.I16();
  item.y = reader.I16();
  item.width = reader.I16();
  item.height = reader.I16();
  item.id = extended ? reader.U32() : reader.U16();
  item.windowClass = ReadName(reader);
  item.title = ReadName(reader);
  item.creationData = ReadCreationData(reader);
  return item;
}

void WriteHeader(ByteWriter& out, const DialogTemplate& dialog) {
  if (dialog.extended) {
    out.U16(dialog.version);
    out.U16(kExtendedSignature);
    out.U32(dialog.helpId);
    out.U32(dialog.extendedStyle);
    out.U32(dialog.style);
  } else {
    out.U32(dialog.style);
    out.U32(dialog.extendedStyle);
  }
  out.U16(static_cast<uint16_t>(dialog.items.size()));
  out.I16(dialog.x);
  out.I16(dialog.y);
  out.I16(dialog.width);
  out.I16(dialog.height);
  WriteName(out, dialog.menu);
  WriteName(out, dialog.windowClass);
  out.Utf16z(dialog.title);
  if (!dialog.hasFont) return;
  out.U16(dialog.pointSize);
  if (dialog.extended) {
    out.U16(dialog.weight);
    out.U8(dialog.italic);
    out.U8(dialog.charset);
  }
  out.Utf16z(dialog.typeface);
}

void WriteItem(ByteWriter& out, const DialogItem& item, bool extended) {
  out.Align(4);
  if (extended) {
    out.U32(item.helpId);
    out.U32(item.extendedStyle);
    out.U32(item.style);
  } else {
    out.U32(item.style);
    out.U32(item.extendedStyle);
  }
  out.I16(item.x);
  out.I16(item.y);
  out.I16(item.width);
  out.I16(item.height);
  if (extended) out.U32(item.id);
  else out.U16(static_cast<uint16_t>(item.id));
  WriteName(out, item.windowClass);
  WriteName(out, item.title);
  out.U16(static_cast<uint16_t>(item.creationData.size()));
  out.Bytes(item.creationData);
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::span<const uint8_t> data) {
  DialogTemplate dialog;
  ByteReader reader(data);
  ByteReader probe(data);
  probe.U16();
  dialog.extended = probe.U16() == kExtendedSignature;
  uint16_t count = 0;
  ReadHeader(reader, dialog, count);
  if (!reader.ok() || count > kMaxItems) return std::nullopt;
  for (uint16_t i = 0; i < count && reader.ok(); ++i) dialog.items.push_back(ReadItem(reader, dialog.extended));
  if (!reader.ok()) return std::nullopt;
  return dialog;
}

std::vector<uint8_t> EncodeDialogTemplate(const DialogTemplate& dialog) {
  ByteWriter out;
  WriteHeader(out, dialog);
  for (const DialogItem& item : dialog.items) WriteItem(out, item, dialog.extended);
  return std::move(out.bytes());
}

int32_t DialogItemId(const DialogTemplate& dialog, const DialogItem& item) {
  return dialog.extended ? static_cast<int32_t>(item.id) : static_cast<int16_t>(item.id);
}

}  // namespace trellisk
