// DialogTemplate is a dialog-template resource decoded into its fields, in
// either of the two forms the system's dialog manager reads: the classic
// one and the extended one (which adds help ids, a 32-bit control id and
// the font's weight, italic flag and character set). ParseDialogTemplate
// and EncodeDialogTemplate convert between the resource bytes and the
// fields; encoding a parsed template gives its bytes back. A plain value;
// thread-safe as any value.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trellisk {

// A template's name-or-number field: absent (empty text, no number), a
// number, or a text.
struct TemplateName {
  std::optional<uint16_t> number;
  std::u16string text;
  bool operator==(const TemplateName&) const = default;
};

struct DialogItem {
  uint32_t helpId = 0;
  uint32_t extendedStyle = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, width = 0, height = 0;
  // 16 bits in the classic form, 32 in the extended one.
  uint32_t id = 0;
  TemplateName windowClass;
  TemplateName title;
  std::vector<uint8_t> creationData;
  bool operator==(const DialogItem&) const = default;
};

struct DialogTemplate {
  bool extended = false;
  uint16_t version = 1;
  uint32_t helpId = 0;
  uint32_t extendedStyle = 0;
  uint32_t style = 0;
  int16_t x = 0, y = 0, width = 0, height = 0;
  TemplateName menu;
  TemplateName windowClass;
  std::u16string title;
  bool hasFont = false;
  uint16_t pointSize = 0;
  uint16_t weight = 0;
  uint8_t italic = 0;
  uint8_t charset = 0;
  std::u16string typeface;
  std::vector<DialogItem> items;
  bool operator==(const DialogTemplate&) const = default;
};

// Nothing when the bytes are not a whole template.
std::optional<DialogTemplate> ParseDialogTemplate(std::span<const uint8_t> data);
std::vector<uint8_t> EncodeDialogTemplate(const DialogTemplate& dialog);

// The signed control identifier as the dialog code sees it (-1 for the
// classic form's 0xFFFF).
int32_t DialogItemId(const DialogTemplate& dialog, const DialogItem& item);

}  // namespace trellisk
