// Reading a message from the host: the complete raw message (property
// 100005) through the host's PropertyReader, and the cut of long messages to
// the size the plug-in examines. Thread-safe.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "plugin/tbp_api.h"

namespace trellisk {

// Messages longer than this are cut to kExaminedMessageBytes.
inline constexpr size_t kLongMessageBytes = 65536;
inline constexpr size_t kExaminedMessageBytes = 65535;

// What the plug-in reads of a message. Only the head that can survive the
// cut is copied, so a host that announces a huge message costs no more memory
// than one of 64 KB; `deliveredLength` is the length of the whole text as the
// host delivered it (its announced size when the head was read in full, else
// the bytes it actually gave).
struct MessageText {
  std::string bytes;  // its buffer ends with a zero byte, as the parser needs
  size_t deliveredLength = 0;
};

// The message text, or nothing when the reader gives no bytes or fails.
std::optional<MessageText> ReadMessageText(MessageHandle message, PropertyReader reader);

// Cuts a text longer than kLongMessageBytes to its first
// kExaminedMessageBytes bytes.
void CutLongMessage(std::string& text);

}  // namespace trellisk
